#pragma once

#include "analysis/map_analysis.h"
#include "log/ride_log.h"
#include "log_viewer.h"
#include "model/device_image.h"
#include "texts.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableWidget;

namespace velmora::ui {

// The name of the undo step an applied analysis becomes.
inline constexpr Triple kStepAnalysis{"Rozbor map", "Map analysis", "Kennfeldanalyse"};

// A ride log's whole-map analysis for review, in a window of its own: one grid per injection map
// with the current value, the proposal, its change and its weight in each cell, coloured by the
// change; the rows each filter removed beside it. The user caps, smooths, excludes cells and
// analyses again with other thresholds; applying is the main window's business (the button only
// asks for it) so that it becomes one undo step like any edit.
class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    using Excluded = analysis::Exclusions;

    // `currentSet` gives the window's parameter set whenever the log is analysed again.
    AnalysisWindow(log::RideLog log, QString fileName, LogMapAxes axes,
                   std::function<const DeviceImage &()> currentSet, std::uint8_t language,
                   QWidget *parent = nullptr);
    ~AnalysisWindow() override;

    void setLanguage(std::uint8_t language);

    // The proposals as shown: analysed, smoothed when asked, capped, applied cells settled.
    const analysis::Analysis &shown() const { return m_shown; }
    const Excluded &excluded() const { return m_excluded; }
    void setExcluded(int map, int row, int column, bool excluded);
    // Analyses the log again against the current set with the thresholds of the controls.
    void reanalyse();
    // Writes the shown proposals of the cells not excluded into `image`, returns how many bytes
    // changed, and settles those cells so that a second Apply finds nothing left to write.
    int applyTo(DeviceImage &image);
    // False when a cell Apply would write no longer holds the value it was analysed against
    // (the set was edited, read or opened since): the log is then analysed again against the
    // set as it is, and the user is asked to check before applying.
    bool stillCurrent(const DeviceImage &image);

signals:
    void applyRequested();

private:
    QWidget *buildControls();
    void recompute();
    void fillTables();
    void fillFilters();
    void fillCell(int map, int row, int column);

    log::RideLog m_log;
    QString m_fileName;
    LogMapAxes m_axes;
    std::function<const DeviceImage &()> m_currentSet;
    std::uint8_t m_language;
    analysis::Settings m_settings;
    analysis::Analysis m_analysed; // uncapped, as analysed
    analysis::Analysis m_shown;
    Excluded m_excluded{};
    Excluded m_applied{};    // written since the last analysis: shown as settled
    int m_appliedBytes = -1; // -1: nothing applied yet
    bool m_rebased = false;  // analysed again because the set had changed

    QLabel *m_heading = nullptr;
    QLabel *m_legend = nullptr;
    QTabWidget *m_maps = nullptr;
    std::array<QTableWidget *, analysis::kMaps> m_tables{};
    QLabel *m_filtersHeading = nullptr;
    QLabel *m_filters = nullptr;
    std::array<QLabel *, 4> m_settingLabels{};
    QSpinBox *m_warm = nullptr;
    QSpinBox *m_steady = nullptr;
    QDoubleSpinBox *m_minWeight = nullptr;
    QSpinBox *m_cap = nullptr;
    QPushButton *m_reanalyse = nullptr;
    QCheckBox *m_smooth = nullptr;
    QPushButton *m_apply = nullptr;
    QLabel *m_note = nullptr;
};

} // namespace velmora::ui
