#pragma once

#include "log/cell_lambda.h"
#include "log/ride_log.h"
#include "log_plot.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QLineSeries;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTableWidget;
class QValueAxis;
class QCategoryAxis;
class QChart;

namespace velmora::ui {

class LogChartView;

// How the main grid labels the rows and columns of each injection map (TP14, TP23, IAP): its
// row captions and the speed axis of the parameter set. Empty lists: the viewer counts 1 to 10.
struct LogMapAxes {
    std::array<QStringList, 3> rows;
    std::array<QStringList, 3> columns;

    // The headers of a map's 10x10 table: the grid's labels, or 1 to 10 when there are none.
    std::pair<QStringList, QStringList> headers(std::size_t map) const;
    // The map's name as the log gives it: TP14, TP23 or IAP.
    static QString mapName(std::size_t map);
};

// A ride log in a window of its own: the chosen channels over time, each on its own scale, with
// zoom, pan and a cursor that shows the whole row at that moment, and the mean lambda of every
// cell of each injection map. The log is kept whole; the plot draws a reduction of the visible
// stretch, one low and one high point per pixel column, so that a ride of hours stays quick.
class LogViewer : public QWidget {
    Q_OBJECT
public:
    // The channels the plot offers, in the order of their check boxes.
    static constexpr int kChannelCount = 10;

    LogViewer(log::RideLog log, QString fileName, LogMapAxes axes, std::uint8_t language,
              QWidget *parent = nullptr);
    ~LogViewer() override;

    void setLanguage(std::uint8_t language);

    const log::RideLog &rideLog() const { return m_log; }
    const QString &fileName() const { return m_fileName; }
    plot::TimeSpan visibleTime() const { return m_window.visible(); }
    // The row the cursor stands on; -1 for a log without rows.
    int cursorRow() const { return m_cursorRow; }
    void setCursorTime(double seconds);
    void zoom(double factor, double anchor);
    void zoomTo(plot::TimeSpan span);
    void pan(double seconds);
    void resetZoom();
    // The series of a channel, none when the log lacks it.
    const QLineSeries *series(int channel) const;

signals:
    // "Analyse...": the main window reviews this log's map analysis.
    void analyseRequested();

private:
    friend class LogChartView;

    struct Channel {
        int column = -1; // in the log
        QCheckBox *box = nullptr;
        QLineSeries *series = nullptr;
        QValueAxis *axis = nullptr;
    };

    QWidget *buildPlotPage();
    QWidget *buildLambdaPage();
    void buildSeries();
    void showChannel(int channel, bool shown);
    void visibleChanged();
    void redraw();
    void updateTimeAxis();
    void updateScrollBar();
    void fillCursorPanel();
    void fillLambdaTables();
    QString eventText(const log::LogEvent &event) const;
    QString mapCellText(int map, int row, int column) const;

    log::RideLog m_log;
    std::array<log::MapLambda, 3> m_lambda;
    QString m_fileName;
    LogMapAxes m_axes;
    std::uint8_t m_language;
    plot::TimeWindow m_window;
    int m_cursorRow = -1;
    bool m_scrolling = false;

    std::array<Channel, kChannelCount> m_channels;
    QTabWidget *m_pages = nullptr;
    QChart *m_chart = nullptr;
    QCategoryAxis *m_timeAxis = nullptr;
    LogChartView *m_view = nullptr;
    QScrollBar *m_scroll = nullptr;
    QPushButton *m_reset = nullptr;
    QPushButton *m_analyse = nullptr;
    QLabel *m_note = nullptr;
    QLabel *m_help = nullptr;
    QLabel *m_cursorHeading = nullptr;
    QTableWidget *m_cursorValues = nullptr;
    QLabel *m_cursorCells = nullptr;
    QLabel *m_lambdaLegend = nullptr;
    QTabWidget *m_lambdaMaps = nullptr;
    std::array<QTableWidget *, 3> m_lambdaTables{};
};

} // namespace velmora::ui
