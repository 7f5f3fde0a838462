#pragma once

#include "files/persistence.h"
#include "files/unit_history.h"
#include "grid.h"
#include "link/link.h"
#include "link/port_catalog.h"
#include "link/qt_serial_port.h"
#include "log/log_format.h"
#include "log/log_sink.h"
#include "log/ride_log.h"
#include "model/device_image.h"
#include "model/edit_history.h"
#include "model/grid_steps.h"
#include "model/map_operations.h"
#include "model/parameter_set.h"
#include "model/triple.h"

#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QDate;
class QGroupBox;
class QLabel;
class QLocale;
class QMenu;
class QTabWidget;
class QTime;
class QTimer;

namespace velmora::ui {

class ArrowButtons;
class AnalysisWindow;
class CompareWindow;
class GraphsWindow;
class LogViewer;
struct LogMapAxes;
class Dialogs;
class Gauge;
class MouseUpCheckBox;

// What the window is given from outside: the program's start passes what it found on the
// command line and in the environment, tests pass their own.
struct WindowOptions {
    // The command-line words after the program name, without our own options.
    QStringList arguments;
    // The settings file; the parameter image and the test switch lie beside it.
    std::filesystem::path settingsPath;
    // The device COM<n> stands for, given the settings for their port table. None: the port
    // table, else the system's own name of the port.
    std::function<std::string(int n, const files::SettingsFile &settings)> portDevice;
    // The serial ports present now. None: the system's list.
    link::PortLister listPorts;
    // Where the names that stay the same in every USB socket are found.
    std::filesystem::path serialByIdFolder = link::kSerialByIdFolder;
    // The folders holding the HTML manual, one subfolder per language (`en/index.html`). None:
    // the installed manual beside the program and the one of the build tree it came from.
    std::optional<QStringList> manualFolders;
    // The folders a word-processor manual (`*_en.doc` ...) may lie in; it is preferred to the
    // HTML one. None: `doc` beside the program and the installed documentation folder.
    std::optional<QStringList> wordManualFolders;
    // Where the unit history is kept. None: nothing is recorded and the list is empty, so that a
    // test that leaves it out writes nothing into the user's folder.
    std::filesystem::path historyFolder;
    // Where ride logs are kept: "Start log" writes there and "Open log..." starts there. None:
    // a log is started only with "Log to file...".
    std::filesystem::path logFolder;
    // The clock a running log's elapsed time is read from. None: the system's steady clock.
    std::function<std::chrono::steady_clock::time_point()> clock;
};

// The main window: owns the device image, the settings held next to it and the grid, and is the
// one place where user events enter the program.
class TFormHlav : public QMainWindow, public link::LinkView {
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 973;
    static constexpr int kDesignHeight = 825;
    static constexpr int kTickMs = 55;
    static constexpr int kIgnitionPage = 0;
    static constexpr int kServoPage = 5;

    TFormHlav(Dialogs &dialogs, WindowOptions options, QWidget *parent = nullptr);
    ~TFormHlav() override;

    DeviceImage &image() { return m_image; }
    const DeviceImage &image() const { return m_image; }
    HeldSettings &held() { return m_held; }
    const Grid &grid() const { return *m_grid; }
    link::Link &link() { return *m_link; }
    const files::SettingsFile &settings() const { return m_persistence.settings(); }
    bool testFlag() const { return m_testFlag; }

    // The steps every editing path is made of.
    void takeOverStep() override;
    void showStep() override;
    // Every change of the parameter set by the user ends here, and becomes one undo step of the
    // bytes it changed, named by `cause` when given, else by what changed.
    void afterChangeStep(const Triple *cause = nullptr);
    void tpModeDisplay();

    // What the link shows through the window.
    void consistencyPass() override;
    void setMessage(const std::string &text, bool error, bool show) override;
    void setGauge(int progress, bool show) override;
    void hideMessageLine() override;
    void setNoConnection(bool shown) override;
    void clearFileLabel() override;
    void messageBox(const std::string &text) override;
    void showMonitor(const link::MonitorDisplay &display) override;
    void markLiveCells(const link::Marking &marking) override;
    bool extendedMonitorTicked() const override;
    int shownPage() const override;
    bool programAfterChangeTicked() const override;
    bool tuningOnTicked() const override;
    std::uint8_t language() const override { return m_held.language; }

    // A ride log in a viewer window of its own; false, and no window, when it cannot be read
    // (the user is told why).
    bool openLog(const QString &path);
    // "Map analysis...": a log chosen as Open log... chooses it, analysed against this window's
    // set in a review window of its own (none when the log cannot be read).
    void MenuAnalysisClick();
    AnalysisWindow *openAnalysis(log::RideLog rideLog, const QString &path);

    // The serial port: COM1..COM10 by the held port number, 0 for none. While the chosen port is
    // closed because it could not be opened or its line was lost, the window tries it again
    // every kReopenTicks ticks without a word, so that a cable plugged back in is taken up.
    static constexpr int kReopenTicks = 18;
    void OpenComPort();
    void CloseComPort();
    void MenuCom1Click(int number);
    // Which port each COM number stands for, through the port setup dialog; written to the
    // settings file when confirmed, and the port reopened when its device changed.
    void MenuPortSetupClick();
    bool portOpen() const { return m_serial.isOpen(); }
    bool reopening() const { return m_reopenIn > 0; }

    // Handlers, named after their control and event.
    void FormCreate();
    void FormClose();
    void MenuNewClick();
    void MenuOpenClick();
    void MenuSaveClick();
    void MenuExitClick();
    // Undo and Redo: one step's bytes back or forward, then the show step and the
    // program-after-change check.
    void MenuUndoClick();
    void MenuRedoClick();
    void SpeedButtonPrintClick();
    void MenuAboutClick();
    void MenuContensClick();
    void MenuEnglishClick();
    void MenuCzechClick();
    void MenuGermanClick();
    // The texts of one language into every control, then the TP page captions.
    void setLanguage(std::uint8_t language);
    // The About text of a language.
    static QString aboutText(std::uint8_t language);
    // The date line of a printout: the heading of the language, the date, the time of day.
    static QString printLine(std::uint8_t language, const QDate &date, const QTime &time,
                             const QLocale &locale);
    // The manual Help opens in a language: a word-processor manual installed beside the program,
    // else the HTML manual in one of the manual folders; empty when there is neither.
    QString manualPath(std::uint8_t language) const;
    // Where the HTML manual is looked for when the window is not told.
    static QStringList defaultManualFolders();
    // The path of the last parameter file opened or saved; both file dialogs start from it.
    QString rememberedPath() const { return QString::fromStdString(m_persistence.lastPath()); }
    void ComboBoxBikeChange(int index);
    void CheckBoxMouseUp();
    void UpDown1Click();
    void Edit1Exit();
    void EnterKeyPress();
    void Timer1Timer();
    void MenuReadClick();
    void MenuVerifyClick();
    void MenuProgramClick();

    // "Compare...": the window's set against another, in the compare window; the window's image
    // stays as it is. A file or a history entry can then be loaded into the window; the unit is
    // read into a scratch image.
    void MenuCompareClick();
    void compareWithFile(const QString &path);
    void compareWithUnit();
    void compareWithHistoryEntry(const files::HistoryEntry &entry);
    // The newest history entry of the unit whose identity the window's image holds: what a
    // Program will change in it.
    void compareWithNewestEntry();
    // Open's work once a path is chosen; false when the file was refused (and the user told).
    bool openParameterFile(const QString &path);
    // Bytes 100..599 of `image` into the window, then the after-change step; `name` goes to
    // LabelFile2.
    void loadParameterSet(const DeviceImage &image, const QString &name,
                          const Triple *cause = nullptr);

    // The unit history: successful Reads and Programs started by the user are kept while "Keep
    // unit history" is ticked; with "Back up the unit before programming" ticked, F9 and the
    // Program button first read the unit's set as it is into the history and program only once
    // that is kept.
    void transactionEnded(link::Transaction transaction, link::Outcome outcome) override;
    void MenuUnitHistoryClick();
    void MenuOpenLogClick();
    // The log at `path`, or nothing when the reader cannot take it (the user is told why).
    std::optional<log::RideLog> readLog(const QString &path);
    // How the main grid labels the rows and columns of each injection map now.
    LogMapAxes logMapAxes() const;
    // Bytes 100..599 of the entry's image file, then the after-change step; false, and the
    // window untouched, when the file cannot be read whole.
    bool loadHistoryEntry(const files::HistoryEntry &entry);
    files::UnitHistory unitHistory() const { return files::UnitHistory(m_options.historyFolder); }

    // Ride logs: every valid monitor reply is a row, the end of every transaction and every cell
    // a tuning step moves an event row. The rows go to the disk on the log sink's thread, so no
    // tick waits for it; a failed write stops the log and says so in the message line.
    void MenuLogClick();
    void MenuLogToClick();
    bool logging() const { return m_logSink != nullptr; }
    void cellTuned(std::size_t offset, std::uint8_t from, std::uint8_t to) override;

    // Curves and maps, one step at a time.
    void CurveMinusClick();
    void CurvePlusClick();
    void BitBtnServoMinusClick();
    void BitBtnServoPlusClick();
    void BitBtnJetTpsMinusClick();
    void BitBtnJetTpsPlusClick();
    void BitBtnJetTpsMinusiClick();
    void BitBtnJetTpsPlusiClick();
    void BitBtnJetIapMinusClick();
    void BitBtnJetIapPlusClick();
    void CSpinButtonUpClick(InjectionMap map, int column);
    void CSpinButtonDownClick(InjectionMap map, int column);
    void MenuToolsMinusClick();
    void MenuToolsPlusClick();
    void BitBtnTps0Click();
    void BitBtnTps100Click();
    void MenuTpNormalClick(std::uint8_t mode);

    // "Graphs": the curves and maps as pictures in a window of their own beside this one, which
    // follows the parameter set after every tick and show step.
    void MenuGraphsClick();
    GraphsWindow *graphsWindow() const { return m_graphs; }

    // The live cell as the map operations see it.
    LiveCell liveCell() const;

    // Ticks of Timer1 since the window was shown.
    quint64 tickCount() const { return m_ticks; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Building the window, area by area.
    void buildMenus();
    QWidget *buildToolBar();
    QWidget *buildPages();
    QWidget *buildIgnitionPage();
    // One injection map page: its cells, a spin button per speed column, minus, plus and All.
    struct MapPageSpec {
        InjectionMap map;
        std::size_t axisCell, mapCell, rowLabel;
        const char *group;
        const char *suffix; // of the spin buttons' names
        int firstSpin;
        const char *minus, *plus, *all;
        void (TFormHlav::*minusClick)();
        void (TFormHlav::*plusClick)();
    };
    struct MapPage {
        QWidget *page = nullptr;
        QGroupBox *group = nullptr;
        std::vector<QWidget *> editors; // the spin buttons, minus, plus and All
    };
    MapPage buildMapPage(const MapPageSpec &spec);
    // A check box whose release with the mouse runs CheckBoxMouseUp.
    MouseUpCheckBox *checkBox(QWidget *parent, const QString &name, const QString &text);
    QWidget *buildMiscPage();
    QWidget *buildServoPage();
    QWidget *buildTuningPage();
    QWidget *buildLowerArea();
    QWidget *buildMonitorColumn();
    void bindCellEvents();
    void curveStep(int direction);
    void servoStep(int direction);
    void mapStep(InjectionMap map, int direction);
    void toolsStep(int direction);
    void centreOnScreen();
    void keepReachable();
    void loadSettings();
    files::WindowSettings windowSettings() const; // what the window holds now
    // The check boxes kept between runs, by their settings member.
    std::array<std::pair<bool files::WindowSettings::*, QCheckBox *>, 6> keptBoxes() const;
    void setPrintMode(bool printing);
    std::vector<QWidget *> printHiddenControls() const; // looked up once, by name
    void saveSettings();
    // The device COM<n> stands for with `settings` as the settings file.
    std::string comDevice(int n, const files::SettingsFile &settings) const;
    // The device the held COM number stands for now.
    std::string comDevice() const;
    link::PortList presentPorts() const;
    // After the link's part of a tick: a lost line is closed, a closed one tried again.
    void watchPort();
    // The window's set after the consistency pass, as a Program would send it, on a copy: a
    // comparison leaves the window's image as it is.
    DeviceImage settledSet() const;
    // Shows `other` against the window's set; `load` loads it, none where it cannot be loaded.
    void showComparison(const DeviceImage &other, bool bytes, const QString &name,
                        std::function<void()> load);
    // An image file of all 600 numbers, or none with the user told why.
    std::optional<DeviceImage> loadWholeImage(const QString &path);
    // The graphs window, while shown, redraws what differs from the set it last drew.
    void followGraphs();
    // The end of a transaction, for the compare read of the unit.
    void compareReadEnded(link::Transaction transaction, link::Outcome outcome);

    // Starts a transaction of the user's; its success is recorded as `kind` when it ends.
    void startRecorded(files::HistoryKind kind, const std::function<void()> &start);
    void startProgram();
    // Records the set; nullopt on success, the path that failed otherwise.
    std::optional<std::string> record(files::HistoryKind kind, const DeviceImage &image) const;

    // What the parameter set went through since it last settled, as one undo step.
    void recordStep(const Triple *cause, const DeviceImage &edited);
    void replayStep(bool (EditHistory::*move)(DeviceImage &));
    // The Edit menu's items name the steps they would take, in the language in force.
    void updateEditItems();

    // The log's part of building the window: its Tools items and status field.
    void buildLogItems(QMenu *tools);
    void startLog(const log::OpenedLog &opened);
    void stopLog();
    void logRow(const std::string &row);
    // In every tick: a failed write stops the log, else the status field follows it.
    void watchLog();
    void updateLogItems(); // captions and check mark as logging is on or off
    void logProblem(const QString &text);

    void applyDependentRules();
    void checkTpModeItem(); // exactly the TP mode item of the mode in force
    // False while a step runs or the window is closing: editing events then start nothing.
    bool editingEventAllowed() const;
    // Colours one control of the edit pointer table by its live mark as last received.
    void paintMark(std::size_t index);
    QColor colourOf(link::Colour colour) const;
    void setBackground(QWidget *widget, const QColor &color);
    QColor buttonFace() const;

    Dialogs &m_dialogs;
    WindowOptions m_options;
    DeviceImage m_image;
    HeldSettings m_held{0, 1};
    files::Persistence m_persistence;
    link::QtSerialPort m_serial;
    int m_reopenIn = 0; // ticks to the next try of the chosen port; 0 while none is due
    std::unique_ptr<link::Link> m_link;
    std::unique_ptr<Grid> m_grid;
    GridValues m_values;
    bool m_testFlag = false;
    bool m_closed = false;
    std::optional<QRect> m_normalAtStart; // started maximised and not normal since
    int m_stepDepth = 0;                  // take-over and show steps in progress
    QTimer *m_timer = nullptr;
    quint64 m_ticks = 0;
    EditHistory m_history;
    // The parameter set as the last step, Read or tuning write left it: what the next step
    // started from.
    DeviceImage m_settled;
    // What the running transaction of the user's is recorded as once it succeeds.
    std::optional<files::HistoryKind> m_recordAs;
    DeviceImage m_backup;              // the unit's set as the backup read brings it in
    bool m_programAfterBackup = false; // started by the tick whose reply completed the backup
    QAction *m_keepHistory = nullptr;
    QAction *m_backupFirst = nullptr;

    // Controls the steps touch on every event.
    QTabWidget *m_pages = nullptr;
    QComboBox *m_bike = nullptr;
    MouseUpCheckBox *m_blokEnable = nullptr;
    MouseUpCheckBox *m_privEnable = nullptr;
    MouseUpCheckBox *m_progHned = nullptr;
    MouseUpCheckBox *m_extMonitor = nullptr;
    MouseUpCheckBox *m_ladeniPovoleno = nullptr;
    MouseUpCheckBox *m_ladeniOn = nullptr;
    MouseUpCheckBox *m_ignitionAll = nullptr;
    MouseUpCheckBox *m_servoAll = nullptr;
    std::array<MouseUpCheckBox *, 3> m_mapAll{}; // by InjectionMap
    QGroupBox *m_groupPrivera = nullptr;
    QGroupBox *m_groupLadeni = nullptr;
    QGroupBox *m_groupTps = nullptr;
    QGroupBox *m_groupTpsi = nullptr;
    QLabel *m_priveraPoz = nullptr;
    QLabel *m_priveraMer = nullptr;
    QLabel *m_pocetProgramovani = nullptr;
    QLabel *m_hlaseni = nullptr;
    QString m_messageNote; // a line under the transaction's text, such as a history failure
    Gauge *m_gaugeProgram = nullptr;
    QLabel *m_file2 = nullptr;
    std::array<QLabel *, 3> m_verze{};
    std::array<QAction *, 4> m_tpModeItems{};
    std::array<QAction *, 10> m_comItems{};
    QAction *m_undoItem = nullptr;
    QAction *m_redoItem = nullptr;
    QLabel *m_spojeni = nullptr;
    QLabel *m_version = nullptr;
    std::vector<QWidget *> m_tp23Editors; // hidden in the Connected mode
    std::vector<QLabel *> m_testLabels;
    std::vector<QWidget *> m_startHidden; // hidden by the start-up sequence
    std::vector<QWidget *> m_printHidden; // hidden while the window is printed
    std::vector<std::pair<link::LabelText link::MonitorDisplay::*, QLabel *>> m_monitorLabels;
    QLabel *m_dataError = nullptr;
    Gauge *m_gaugeRpm = nullptr, *m_gaugeTps = nullptr, *m_gaugeLambda = nullptr;
    Gauge *m_gaugeVoda = nullptr, *m_gaugeDuty = nullptr;
    link::Marking m_marks{};

    CompareWindow *m_compare = nullptr;
    QList<QPointer<LogViewer>> m_logViewers;           // each closes and goes on its own
    QList<QPointer<AnalysisWindow>> m_analysisWindows; // as the viewers
    std::unique_ptr<DeviceImage> m_unitSet;            // where a compare reads the unit into
    bool m_comparingUnit = false;                      // the scratch read running is the compare's
    std::function<void()> m_loadOther;

    GraphsWindow *m_graphs = nullptr;

    QAction *m_logItem = nullptr;
    QAction *m_logToItem = nullptr;
    QLabel *m_logStatus = nullptr;
    log::LogFormat m_logFormat{true}; // the window always writes the programming count
    std::unique_ptr<log::LogSink> m_logSink;
    std::filesystem::path m_logPath;
    std::chrono::steady_clock::time_point m_logStart;
    quint64 m_logRows = 0; // monitor and event rows, without the header
};

} // namespace velmora::ui
