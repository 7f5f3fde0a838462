#pragma once

#include "grid.h"
#include "model/device_image.h"
#include "model/grid_steps.h"
#include "model/parameter_set.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QTabWidget;
class QTimer;

namespace velmora::ui {

class Dialogs;
class Gauge;
class MouseUpCheckBox;

// The main window: owns the device image, the settings held next to it and the grid, and is the
// one place where user events enter the program.
class TFormHlav : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 973;
    static constexpr int kDesignHeight = 825;
    static constexpr int kTickMs = 55;

    // `arguments` are the command-line words after the program name, without our own options.
    TFormHlav(Dialogs &dialogs, const QStringList &arguments, QWidget *parent = nullptr);
    ~TFormHlav() override;

    DeviceImage &image() { return m_image; }
    const DeviceImage &image() const { return m_image; }
    HeldSettings &held() { return m_held; }
    std::uint8_t language() const { return m_held.language; }
    const Grid &grid() const { return *m_grid; }
    bool testFlag() const { return m_testFlag; }

    // The steps every editing path is made of.
    void takeOverStep();
    void showStep();
    void afterChangeStep();
    void tpModeDisplay();

    // Handlers, named after their control and event.
    void FormCreate();
    void FormClose();
    void MenuNewClick();
    void MenuExitClick();
    void ComboBoxBikeChange(int index);
    void CheckBoxMouseUp();
    void UpDown1Click();
    void Edit1Exit();
    void EnterKeyPress();
    void Timer1Timer();

    // Ticks of Timer1 since the window was shown.
    quint64 tickCount() const { return m_ticks; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Building the window, area by area.
    void buildMenus();
    QWidget *buildToolBar();
    QWidget *buildPages();
    QWidget *buildIgnitionPage();
    QWidget *buildMapPage(std::size_t axisCell, std::size_t mapCell, std::size_t rowLabel,
                          const QString &groupName, const QString &suffix, int firstSpin,
                          const QString &minusName, const QString &plusName,
                          const QString &allName);
    QWidget *buildMiscPage();
    QWidget *buildServoPage();
    QWidget *buildTuningPage();
    QWidget *buildLowerArea();
    QWidget *buildMonitorColumn();
    void bindCellEvents();
    void centreOnScreen();

    void applyDependentRules();
    void setBackground(QWidget *widget, const QColor &color);
    QColor buttonFace() const;

    template <typename T> T *named(const QString &name) const;

    Dialogs &m_dialogs;
    QStringList m_arguments;
    DeviceImage m_image;
    HeldSettings m_held{0, 1};
    std::unique_ptr<Grid> m_grid;
    GridValues m_values;
    bool m_testFlag = false;
    bool m_closed = false;
    bool m_alive = true; // false once destruction has begun: late focus events run nothing
    QTimer *m_timer = nullptr;
    quint64 m_ticks = 0;

    // Controls the steps touch on every event.
    QTabWidget *m_pages = nullptr;
    QComboBox *m_bike = nullptr;
    MouseUpCheckBox *m_blokEnable = nullptr;
    MouseUpCheckBox *m_privEnable = nullptr;
    MouseUpCheckBox *m_progHned = nullptr;
    MouseUpCheckBox *m_extMonitor = nullptr;
    MouseUpCheckBox *m_ladeniPovoleno = nullptr;
    MouseUpCheckBox *m_ladeniOn = nullptr;
    QGroupBox *m_groupPrivera = nullptr;
    QGroupBox *m_groupLadeni = nullptr;
    QGroupBox *m_groupTps = nullptr;
    QGroupBox *m_groupTpsi = nullptr;
    QLabel *m_priveraPoz = nullptr;
    QLabel *m_priveraMer = nullptr;
    QLabel *m_pocetProgramovani = nullptr;
    QLabel *m_hlaseni = nullptr;
    Gauge *m_gaugeProgram = nullptr;
    QLabel *m_file2 = nullptr;
    std::array<QLabel *, 3> m_verze{};
    std::array<QAction *, 4> m_tpModeItems{};
    std::vector<QWidget *> m_tp23Editors; // hidden in the Connected mode
    std::vector<QLabel *> m_testLabels;
    std::vector<QWidget *> m_startHidden; // hidden by the start-up sequence
};

} // namespace velmora::ui
