#include "tformhlav.h"

#include "arrow_buttons.h"
#include "controls.h"
#include "dialogs.h"
#include "gauge.h"
#include "graphs_window.h"
#include "logo.h"
#include "tab_order.h"
#include "texts.h"
#include "up_down.h"

#include "files/parameter_file.h"
#include "files/save_file.h"
#include "link/link_texts.h"
#include "link/open_failure.h"
#include "link/port_names.h"
#include "link/qt_port_catalog.h"
#include "model/step_names.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

namespace velmora::ui {

TFormHlav::TFormHlav(Dialogs &dialogs, WindowOptions options, QWidget *parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_options(std::move(options)),
      m_persistence(m_options.settingsPath), m_link(std::make_unique<link::Link>(m_image, *this))
{
    setObjectName(QStringLiteral("FormHlav"));
    setWindowTitle(QStringLiteral("Programming of Velmora 05"));
    setWindowIcon(logoIcon());

    m_grid = std::make_unique<Grid>(this);
    buildMenus();

    auto *central = new QWidget(this);
    auto *columns = new QHBoxLayout(central);
    columns->setContentsMargins(4, 0, 4, 2);
    columns->setSpacing(8);
    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(buildToolBar());
    left->addWidget(buildPages(), 1);
    left->addWidget(buildLowerArea());
    columns->addLayout(left, 1);
    columns->addWidget(buildMonitorColumn());
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->setSizeGripEnabled(true);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(kTickMs);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TFormHlav::Timer1Timer);

    bindCellEvents();
    m_grid->buildTables(this);
    m_printHidden = printHiddenControls();
    resize(kDesignWidth, kDesignHeight);
    FormCreate();
}

TFormHlav::~TFormHlav()
{
    // QWidget's destructor deletes the controls after the members here are gone; a cell that
    // loses the focus then must find nothing of this window to call.
    m_timer->stop();
    for (QObject *control : findChildren<QObject *>())
        control->disconnect(this);
}

void TFormHlav::bindCellEvents()
{
    const auto &cells = cellTable();
    for (std::size_t i = 0; i < cells.size(); ++i) {
        CellEdit *edit = m_grid->edit(i);
        switch (cells[i].event) {
        case CellEvent::Leave:
            connect(edit, &CellEdit::left, this, &TFormHlav::Edit1Exit);
            break;
        case CellEvent::Click:
            connect(edit, &CellEdit::clicked, this, &TFormHlav::Edit1Exit);
            break;
        case CellEvent::None:
            continue; // neither its text box nor its buttons run anything
        }
        connect(edit, &CellEdit::enterPressed, this, &TFormHlav::EnterKeyPress);
        connect(m_grid->upDown(i), &UpDown::clicked, this, &TFormHlav::UpDown1Click);
    }
    connect(m_bike, &QComboBox::activated, this, &TFormHlav::ComboBoxBikeChange);
    // The cells were made from the cell table before the pages placed them: Tab follows where
    // they sit, not the order they were made in.
    chainFocus(readingOrder(centralWidget()));
}

LiveCell TFormHlav::liveCell() const
{
    const link::LivePoints &p = m_link->points();
    LiveCell live;
    live.belowCurve = p.belowCurve;
    live.ignition = p.ignition;
    live.servo = p.servo;
    live.running = m_link->live().speed != 0;
    live.tpRow = p.tpRow;
    live.tp14Column = p.tp14Column;
    live.tp23Column = p.tp23Column;
    live.iapRow = p.iapRow;
    live.iapColumn = p.iapColumn;
    return live;
}

void TFormHlav::curveStep(int direction)
{
    takeOverStep();
    stepIgnitionCurve(m_image, direction, m_ignitionAll->isChecked(), liveCell());
    afterChangeStep();
}

void TFormHlav::servoStep(int direction)
{
    takeOverStep();
    stepServoCurve(m_image, direction, m_servoAll->isChecked(), liveCell());
    afterChangeStep();
}

void TFormHlav::mapStep(InjectionMap map, int direction)
{
    takeOverStep();
    stepMap(m_image, map, direction, m_mapAll[static_cast<std::size_t>(map)]->isChecked(),
            liveCell());
    afterChangeStep();
}

void TFormHlav::CurveMinusClick()
{
    curveStep(-1);
}
void TFormHlav::CurvePlusClick()
{
    curveStep(+1);
}
void TFormHlav::BitBtnServoMinusClick()
{
    servoStep(-1);
}
void TFormHlav::BitBtnServoPlusClick()
{
    servoStep(+1);
}
void TFormHlav::BitBtnJetTpsMinusClick()
{
    mapStep(InjectionMap::Tp14, -1);
}
void TFormHlav::BitBtnJetTpsPlusClick()
{
    mapStep(InjectionMap::Tp14, +1);
}
void TFormHlav::BitBtnJetTpsMinusiClick()
{
    mapStep(InjectionMap::Tp23, -1);
}
void TFormHlav::BitBtnJetTpsPlusiClick()
{
    mapStep(InjectionMap::Tp23, +1);
}
void TFormHlav::BitBtnJetIapMinusClick()
{
    mapStep(InjectionMap::Iap, -1);
}
void TFormHlav::BitBtnJetIapPlusClick()
{
    mapStep(InjectionMap::Iap, +1);
}

void TFormHlav::CSpinButtonUpClick(InjectionMap map, int column)
{
    takeOverStep();
    shiftColumn(m_image, map, column, +1);
    afterChangeStep();
}

void TFormHlav::CSpinButtonDownClick(InjectionMap map, int column)
{
    takeOverStep();
    shiftColumn(m_image, map, column, -1);
    afterChangeStep();
}

void TFormHlav::toolsStep(int direction)
{
    switch (m_pages->currentIndex()) {
    case kIgnitionPage:
        curveStep(direction);
        break;
    case link::Link::kTp14Page:
        mapStep(InjectionMap::Tp14, direction);
        break;
    case link::Link::kTp23Page:
        mapStep(InjectionMap::Tp23, direction);
        break;
    case link::Link::kIapPage:
        mapStep(InjectionMap::Iap, direction);
        break;
    case kServoPage:
        servoStep(direction);
        break;
    default:
        break; // the other pages have nothing to step
    }
}

void TFormHlav::MenuToolsMinusClick()
{
    toolsStep(-1);
}
void TFormHlav::MenuToolsPlusClick()
{
    toolsStep(+1);
}

void TFormHlav::BitBtnTps0Click()
{
    if (captureClosedThrottle(m_image, m_link->live().throttleMv))
        afterChangeStep();
}

void TFormHlav::BitBtnTps100Click()
{
    if (captureOpenThrottle(m_image, m_link->live().throttleMv))
        afterChangeStep();
}

void TFormHlav::MenuTpNormalClick(std::uint8_t mode)
{
    if (!setTpMode(m_image, mode)) {
        m_dialogs.inform(this, pick(text::kTpAxesDiffer, m_held.language));
        // Qt has already ticked the refused item; the cells keep whatever the user typed.
        checkTpModeItem();
        return;
    }
    checkTpModeItem();
    tpModeDisplay();
    afterChangeStep();
}

void TFormHlav::FormCreate()
{
    // The status bar shows the long part of the hint under the mouse: Qt's status tips do that.
    m_image[layout::kBike] = 0;
    m_held.comPort = 1;
    applyDefaults(m_image);
    centreOnScreen();
    loadSettings();
    applyModelConstants(m_image);
    if (!m_options.arguments.isEmpty()) {
        const QString &first = m_options.arguments.first();
        if (first == QLatin1String("ENGLISH"))
            m_held.language = 1;
        else if (first == QLatin1String("CESKY"))
            m_held.language = 0;
        else if (first == QLatin1String("DEUTSCH"))
            m_held.language = 2;
    }
    velmora::consistencyPass(m_image, m_held);
    showStep();
    OpenComPort();
    for (int n = 1; n <= 10; ++n)
        m_comItems[n - 1]->setChecked(n == m_held.comPort);
    setLanguage(m_held.language);
    for (QWidget *w : m_startHidden)
        w->hide();
    m_testFlag = m_persistence.testSwitch();
    for (QLabel *label : m_testLabels)
        label->setVisible(m_testFlag);
    m_settled = m_image; // the set the program starts with is no step
}

void TFormHlav::FormClose()
{
    CloseComPort();
    takeOverStep();
    velmora::consistencyPass(m_image, m_held);
    saveSettings();
}

std::array<std::pair<bool files::WindowSettings::*, QCheckBox *>, 6> TFormHlav::keptBoxes() const
{
    using S = files::WindowSettings;
    return {{{&S::extendedMonitor, m_extMonitor},
             {&S::ignitionAll, m_ignitionAll},
             {&S::tp14All, m_mapAll[static_cast<std::size_t>(InjectionMap::Tp14)]},
             {&S::tp23All, m_mapAll[static_cast<std::size_t>(InjectionMap::Tp23)]},
             {&S::iapAll, m_mapAll[static_cast<std::size_t>(InjectionMap::Iap)]},
             {&S::servoAll, m_servoAll}}};
}

files::WindowSettings TFormHlav::windowSettings() const
{
    files::WindowSettings s;
    // A maximised window keeps the place and size it goes back to: the frame's corner, as move()
    // takes it, and the inside's size.
    s.maximized = isMaximized();
    QRect normal(pos(), size());
    if (s.maximized && m_normalAtStart)
        normal = *m_normalAtStart;
    else if (s.maximized)
        normal = normalGeometry().translated(pos() - geometry().topLeft());
    s.left = normal.x();
    s.top = normal.y();
    s.height = normal.height();
    s.width = normal.width();
    s.comPort = m_held.comPort;
    s.language = m_held.language;
    s.file = m_file2->text().toStdString();
    s.page = m_pages->currentIndex();
    for (const auto &[member, box] : keptBoxes())
        s.*member = box->isChecked();
    s.keepHistory = m_keepHistory->isChecked();
    s.backupBeforeProgram = m_backupFirst->isChecked();
    return s;
}

void TFormHlav::loadSettings()
{
    // What the window holds now stands for every key the file lacks.
    files::WindowSettings s = windowSettings();
    m_persistence.load(s, m_image);

    move(static_cast<int>(*s.left), static_cast<int>(*s.top));
    resize(static_cast<int>(s.width), static_cast<int>(s.height));
    keepReachable();
    // Shown maximised; the place and size above stay its normal ones. They are kept as read
    // until the window is first normal: before it has been shown, Qt's normal geometry does not
    // know the frame.
    if (s.maximized) {
        m_normalAtStart = QRect(pos(), size());
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    m_held.comPort = s.comPort;
    m_held.language = s.language;
    m_file2->setText(QString::fromStdString(s.file));
    if (s.page >= 0 && s.page < m_pages->count())
        m_pages->setCurrentIndex(static_cast<int>(s.page));
    for (const auto &[member, box] : keptBoxes())
        box->setChecked(s.*member);
    m_keepHistory->setChecked(s.keepHistory);
    m_backupFirst->setChecked(s.backupBeforeProgram);
}

void TFormHlav::saveSettings()
{
    m_persistence.save(windowSettings(), m_image);
}

std::string TFormHlav::comDevice(int n, const files::SettingsFile &settings) const
{
    // Without a lookup of its own the window knows the port table and the system's names only.
    return m_options.portDevice ? m_options.portDevice(n, settings)
                                : link::comPortDevice(n, files::portTable(settings), nullptr);
}

std::string TFormHlav::comDevice() const
{
    return comDevice(m_held.comPort, m_persistence.settings());
}

link::PortList TFormHlav::presentPorts() const
{
    return m_options.listPorts ? m_options.listPorts() : link::systemPorts();
}

void TFormHlav::OpenComPort()
{
    m_reopenIn = 0;
    const int n = m_held.comPort;
    if (n < link::kFirstComPort || n > link::kLastComPort)
        return;
    const std::string device = comDevice();
    if (const link::OpenResult result = m_serial.open(QString::fromStdString(device))) {
        m_link->setPort(&m_serial);
    } else {
        m_link->setPort(nullptr);
        m_dialogs.inform(this, QString::fromStdString(link::openFailureText(
                                   device, result, presentPorts(), m_held.language)));
        m_reopenIn = kReopenTicks;
    }
}

void TFormHlav::CloseComPort()
{
    m_reopenIn = 0;
    m_link->setPort(nullptr);
    m_serial.close();
}

void TFormHlav::watchPort()
{
    if (m_serial.lost()) {
        // The link has already ended what ran on the line; the rest of its ticks go nowhere
        // until the device is back.
        CloseComPort();
        m_reopenIn = kReopenTicks;
        return;
    }
    if (m_reopenIn == 0 || --m_reopenIn > 0)
        return;
    // A try shows nothing of why it failed, so whether the port is open is all that counts.
    m_serial.open(QString::fromStdString(comDevice()));
    if (m_serial.isOpen())
        m_link->setPort(&m_serial);
    else
        m_reopenIn = kReopenTicks;
}

void TFormHlav::MenuCom1Click(int number)
{
    m_held.comPort = static_cast<std::uint8_t>(number);
    for (int n = 1; n <= 10; ++n)
        m_comItems[n - 1]->setChecked(n == m_held.comPort);
    CloseComPort();
    OpenComPort();
}

void TFormHlav::MenuPortSetupClick()
{
    const files::SettingsFile &settings = m_persistence.settings();
    PortSetup setup;
    setup.language = m_held.language;
    setup.ports = presentPorts();
    for (int n = link::kFirstComPort; n <= link::kLastComPort; ++n)
        setup.assigned[n - 1] = files::portTable(settings)(link::comPortName(n)).value_or("");
    setup.deviceOf = [this](int n, const PortAssignments &assigned) {
        files::SettingsFile tried = m_persistence.settings();
        for (int com = link::kFirstComPort; com <= link::kLastComPort; ++com)
            files::setPortDevice(tried, link::comPortName(com), assigned[com - 1]);
        return comDevice(n, tried);
    };
    setup.stablePath = [folder = m_options.serialByIdFolder](const std::string &device) {
        return link::stableDevicePath(device, folder);
    };

    const std::optional<PortAssignments> chosen = m_dialogs.setUpPorts(this, setup);
    if (!chosen)
        return;
    const int current = m_held.comPort;
    const bool currentValid = current >= link::kFirstComPort && current <= link::kLastComPort;
    const std::string before = currentValid ? comDevice(current, settings) : std::string();
    std::vector<std::pair<std::string, std::string>> devices;
    for (int n = link::kFirstComPort; n <= link::kLastComPort; ++n)
        devices.emplace_back(link::comPortName(n), (*chosen)[n - 1]);
    m_persistence.savePorts(devices);
    if (currentValid && comDevice(current, m_persistence.settings()) != before) {
        CloseComPort();
        OpenComPort();
    }
}

void TFormHlav::centreOnScreen()
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    // On a screen smaller than the window the title bar stays on it, where it can be grabbed.
    const QRect usable = screen->availableGeometry();
    move(std::max(usable.left(), area.left() + (area.width() - width()) / 2),
         std::max(usable.top(), area.top() + (area.height() - height()) / 2));
}

void TFormHlav::keepReachable()
{
    // A position saved on a screen that is no longer there, or above the top of a smaller one,
    // would leave the title bar out of reach: such a window starts centred instead.
    constexpr int kGrip = 100; // width of title bar that must be on a screen
    constexpr int kTitle = 20;
    for (const QScreen *screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        const int overlap = std::min(x() + width(), area.right() + 1) - std::max(x(), area.left());
        if (y() >= area.top() && y() + kTitle <= area.bottom() + 1 &&
            overlap >= std::min(kGrip, width()))
            return;
    }
    centreOnScreen();
}

void TFormHlav::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        m_closed = true;
        FormClose();
    }
    event->accept();
}

void TFormHlav::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange && !isMaximized())
        m_normalAtStart.reset();
    QMainWindow::changeEvent(event);
}

void TFormHlav::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_timer->isActive())
        m_timer->start();
}

void TFormHlav::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Keys reach the window itself only when no control of it has the focus.
    if (enter && (focusWidget() == nullptr || focusWidget() == this)) {
        EnterKeyPress();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

namespace {
// Marks the span of a take-over or show step: controls hidden or refilled inside it move the
// focus, and the events that follow must not start a step of their own.
class StepScope {
public:
    explicit StepScope(int &depth) : m_depth(depth) { ++m_depth; }
    ~StepScope() { --m_depth; }
    StepScope(const StepScope &) = delete;
    StepScope &operator=(const StepScope &) = delete;

private:
    int &m_depth;
};
} // namespace

bool TFormHlav::editingEventAllowed() const
{
    return !m_closed && m_stepDepth == 0;
}

void TFormHlav::takeOverStep()
{
    const StepScope scope(m_stepDepth);
    m_grid->readPositions(m_values);
    m_values.bikeItem = m_bike->currentIndex();
    m_values.blokEnable = m_blokEnable->isChecked();
    m_values.privEnable = m_privEnable->isChecked();
    const GridValues read = m_values;
    takeOverCells(m_image, m_values);
    // The Connected mode may have carried a change into TP23 cells.
    for (std::size_t i = 0; i < kCellCount; ++i)
        if (m_values.position[i] != read.position[i])
            m_grid->upDown(i)->setPosition(m_values.position[i]);

    m_priveraPoz->setVisible(!m_groupPrivera->isHidden());
    m_priveraMer->setVisible(!m_groupPrivera->isHidden());
    m_pocetProgramovani->setVisible(m_extMonitor->isChecked());
    applyDependentRules();
}

void TFormHlav::showStep()
{
    const StepScope scope(m_stepDepth);
    showCells(m_image, m_values);
    m_grid->writePositions(m_values);

    // Built when the unit's identity block arrives, not from whatever block 0 the image holds:
    // a saved image or a parameter file says nothing about the unit on the line now.
    const UnitIdentity &identity = m_link->unitIdentity();
    // A label shows its text up to the first zero byte, as a C string would.
    const auto shown = [](const std::string &text) { return QString::fromLatin1(text.c_str()); };
    m_verze[0]->setText(shown(identity.version));
    m_verze[1]->setText(shown(identity.date));
    m_verze[2]->setText(shown(identity.time));

    m_blokEnable->setChecked(m_values.blokEnable);
    m_privEnable->setChecked(m_values.privEnable);
    checkTpModeItem();
    tpModeDisplay();
    m_bike->setCurrentIndex(m_values.bikeItem);
    applyDependentRules();
    followGraphs();
}

void TFormHlav::checkTpModeItem()
{
    for (std::size_t k = 0; k < m_tpModeItems.size(); ++k)
        m_tpModeItems[k]->setChecked(m_image[layout::kTpsMode] == k);
}

void TFormHlav::afterChangeStep(const Triple *cause)
{
    const DeviceImage edited = m_image;
    velmora::consistencyPass(m_image, m_held);
    recordStep(cause, edited);
    showStep();
    m_link->ProgramAfterChange();
}

void TFormHlav::recordStep(const Triple *cause, const DeviceImage &edited)
{
    // Named by what the user changed, before the consistency pass moved anything else along.
    if (m_history.record(m_settled, m_image,
                         cause ? stepName(*cause) : describeChange(m_settled, edited)))
        updateEditItems();
    m_settled = m_image;
}

void TFormHlav::MenuUndoClick()
{
    replayStep(&EditHistory::undo);
}

void TFormHlav::MenuRedoClick()
{
    replayStep(&EditHistory::redo);
}

void TFormHlav::replayStep(bool (EditHistory::*move)(DeviceImage &))
{
    if (!editingEventAllowed() || !(m_history.*move)(m_image))
        return;
    // Bytes a Read or a tuning write changed since the step are left as they are, so the set may
    // mix the two: it goes through the consistency pass like any edited set before it is shown
    // or sent.
    velmora::consistencyPass(m_image, m_held);
    m_settled = m_image;
    updateEditItems();
    showStep();
    m_link->ProgramAfterChange();
}

void TFormHlav::consistencyPass()
{
    velmora::consistencyPass(m_image, m_held);
}

void TFormHlav::setMessage(const std::string &text, bool error, bool show)
{
    // A transaction that starts shows the line anew; until then the note stays under the text
    // the link keeps updating.
    if (show)
        m_messageNote.clear();
    QString line = QString::fromStdString(text);
    if (!m_messageNote.isEmpty())
        line += QLatin1Char('\n') + m_messageNote;
    m_hlaseni->setText(line);
    setBackground(m_hlaseni, error ? QColor(Qt::red) : buttonFace());
    if (show)
        m_hlaseni->show();
}

void TFormHlav::setGauge(int progress, bool show)
{
    m_gaugeProgram->setProgress(progress);
    if (show)
        m_gaugeProgram->show();
}

void TFormHlav::hideMessageLine()
{
    m_messageNote.clear();
    m_hlaseni->hide();
    m_gaugeProgram->hide();
}

void TFormHlav::setNoConnection(bool shown)
{
    m_spojeni->setVisible(shown);
    if (shown)
        m_version->hide();
    if (shown && m_graphs)
        m_graphs->clearLive();
}

void TFormHlav::clearFileLabel()
{
    m_file2->clear();
}

void TFormHlav::messageBox(const std::string &text)
{
    // Opened once the tick that asked for it is over, and modal to this window only: the timer
    // and the link keep running, and the reply handler is never entered from inside the box.
    const QString message = QString::fromStdString(text);
    QTimer::singleShot(0, this, [this, message] { m_dialogs.notify(this, message); });
}

QColor TFormHlav::colourOf(link::Colour colour) const
{
    switch (colour) {
    case link::Colour::Red:
        return QColor(0xff, 0x00, 0x00);
    case link::Colour::Yellow:
        return QColor(0xff, 0xff, 0x00);
    case link::Colour::Lime:
        return QColor(0x00, 0xff, 0x00);
    case link::Colour::Aqua:
        return QColor(0x00, 0xff, 0xff);
    case link::Colour::Fuchsia:
        return QColor(0xff, 0x00, 0xff);
    case link::Colour::Normal:
        break;
    }
    return buttonFace();
}

void TFormHlav::showMonitor(const link::MonitorDisplay &display)
{
    for (const auto &[member, label] : m_monitorLabels) {
        const link::LabelText &text = display.*member;
        const QString caption = QString::fromStdString(text.text);
        if (label->text() != caption)
            label->setText(caption);
        if (text.colour)
            setBackground(label, colourOf(*text.colour));
    }
    // The servo labels follow the servo group, whatever the reply says.
    m_priveraPoz->setVisible(!m_groupPrivera->isHidden());
    m_priveraMer->setVisible(!m_groupPrivera->isHidden());
    m_version->setText(QString::fromStdString(display.version));
    m_version->setVisible(display.versionVisible);
    m_dataError->setVisible(display.dataErrorVisible);
    m_pocetProgramovani->setVisible(display.programmingCountVisible);
    for (std::size_t i = 0; i < display.tests.size(); ++i)
        m_testLabels[i]->setText(QString::fromStdString(display.tests[i]));

    m_gaugeRpm->setProgress(display.rpmGauge);
    m_gaugeTps->setProgress(display.throttleGauge);
    m_gaugeLambda->setProgress(display.lambdaGauge);
    m_gaugeVoda->setProgress(display.coolantGauge);
    m_gaugeVoda->setForeColor(colourOf(display.coolantGaugeColour));
    m_gaugeDuty->setProgress(display.dutyGauge);
    m_gaugeDuty->setForeColor(colourOf(display.dutyGaugeColour));
    if (m_graphs)
        m_graphs->showLive(display.sample);
}

void TFormHlav::markLiveCells(const link::Marking &marking)
{
    for (std::size_t i = 0; i < marking.size(); ++i) {
        if (marking[i] == m_marks[i])
            continue;
        m_marks[i] = marking[i];
        paintMark(i);
    }
}

void TFormHlav::paintMark(std::size_t index)
{
    QWidget *w = m_grid->editTable()[index];
    const link::Mark mark = m_marks[index];
    const link::Colour colour = mark == link::Mark::Lime      ? link::Colour::Lime
                                : mark == link::Mark::Yellow  ? link::Colour::Yellow
                                : mark == link::Mark::Fuchsia ? link::Colour::Fuchsia
                                                              : link::Colour::Normal;
    if (index < kRowLabelCount) { // row captions: label background
        setBackground(w, colourOf(colour));
    } else { // cells: the text box's own background
        QPalette palette = w->palette();
        palette.setColor(QPalette::Base, colour == link::Colour::Normal
                                             ? QApplication::palette().color(QPalette::Base)
                                             : colourOf(colour));
        w->setPalette(palette);
    }
}

bool TFormHlav::extendedMonitorTicked() const
{
    return m_extMonitor->isChecked();
}

int TFormHlav::shownPage() const
{
    return m_pages->currentIndex();
}

bool TFormHlav::programAfterChangeTicked() const
{
    return m_progHned->isChecked();
}

bool TFormHlav::tuningOnTicked() const
{
    return m_ladeniOn->isChecked();
}

void TFormHlav::tpModeDisplay()
{
    const TpModeDisplay d = velmora::tpModeDisplay(m_image[layout::kTpsMode], m_held.language);
    m_groupTps->setVisible(d.tp14Visible);
    m_groupTpsi->setVisible(d.tp23Visible);
    m_groupTpsi->setEnabled(d.tp23Enabled);
    for (QWidget *w : m_tp23Editors)
        w->setVisible(d.tp23EditorsVisible);
    m_pages->setTabText(1, QString::fromStdString(d.tab14Caption));
    m_pages->setTabText(2, QString::fromStdString(d.tab23Caption));
}

void TFormHlav::applyDependentRules()
{
    setBackground(m_progHned, m_progHned->isChecked() ? QColor(Qt::red) : buttonFace());
    m_privEnable->setVisible(m_image.bike() != 0);
    const bool servo = !m_privEnable->isHidden() && m_privEnable->isChecked();
    m_groupPrivera->setVisible(servo);
    m_priveraPoz->setVisible(servo);
    m_priveraMer->setVisible(servo);
    const bool tuning = m_ladeniPovoleno->isChecked();
    if (!tuning)
        m_ladeniOn->setChecked(false);
    m_ladeniOn->setVisible(tuning);
    m_groupLadeni->setVisible(tuning);
    setBackground(m_ladeniOn, m_ladeniOn->isChecked() ? QColor(Qt::red) : buttonFace());
}

void TFormHlav::MenuNewClick()
{
    if (m_image.bike() >= kModelCount)
        return;
    if (m_dialogs.askYesNoCancel(this, pick(text::kDefaultsQuestion, m_held.language)) !=
        Dialogs::Answer::Yes)
        return;
    applyDefaults(m_image);
    m_hlaseni->hide();
    m_gaugeProgram->hide();
    m_file2->clear();
    afterChangeStep(&text::kStepNew);
}

void TFormHlav::MenuOpenClick()
{
    const QString path = m_dialogs.openFileName(this, rememberedPath());
    if (!path.isEmpty())
        openParameterFile(path);
    m_hlaseni->hide();
    m_gaugeProgram->hide();
}

bool TFormHlav::openParameterFile(const QString &path)
{
    bool extended = m_extMonitor->isChecked();
    const std::optional<bool> accepted =
        files::loadParameterFile(path.toStdString(), m_image, extended);
    if (!accepted) {
        m_dialogs.inform(this, pick(text::kOpenFileError, m_held.language));
        return false;
    }
    if (!*accepted) {
        m_dialogs.inform(this, pick(text::kFileVersionError, m_held.language));
        return false;
    }
    m_extMonitor->setChecked(extended);
    applyModelConstants(m_image);
    afterChangeStep(&text::kStepOpen);
    m_file2->setText(path);
    m_persistence.setLastPath(path.toStdString());
    return true;
}

void TFormHlav::MenuSaveClick()
{
    const QString path = m_dialogs.saveFileName(this, rememberedPath());
    if (path.isEmpty())
        return;
    files::SaveFile file(path.toStdString());
    if (!file.create()) {
        m_dialogs.inform(this, pick(text::kOpenFileError, m_held.language));
        return;
    }
    takeOverStep();
    consistencyPass();
    recordStep(nullptr, m_image); // a typed cell the take-over found is an edit like any other
    showStep();
    const files::SaveResult saved =
        file.commit(files::writeParameterText(m_image, m_extMonitor->isChecked()));
    if (const Triple *failure = files::text::saveFailureText(saved)) {
        m_dialogs.inform(this, pick(*failure, m_held.language));
        return;
    }
    m_file2->setText(path);
    m_persistence.setLastPath(path.toStdString());
}

void TFormHlav::MenuExitClick()
{
    close();
}

void TFormHlav::ComboBoxBikeChange(int index)
{
    if (index < 0)
        return;
    chooseModel(m_image, static_cast<std::uint8_t>(index));
    // The model stays chosen whether or not its defaults are wanted: a step of its own.
    recordStep(nullptr, m_image);
    MenuNewClick();
}

void TFormHlav::CheckBoxMouseUp()
{
    if (!editingEventAllowed())
        return;
    takeOverStep();
    afterChangeStep();
}

void TFormHlav::UpDown1Click()
{
    if (!editingEventAllowed())
        return;
    takeOverStep();
    afterChangeStep();
}

void TFormHlav::Edit1Exit()
{
    // A cell that loses the focus because a step hides its group has just been read or written
    // by that very step; a take-over from here would read the model box before the show step
    // has set it and put the previous model back.
    if (!editingEventAllowed())
        return;
    takeOverStep();
    afterChangeStep();
}

void TFormHlav::EnterKeyPress()
{
    if (!editingEventAllowed())
        return;
    focusNextChild();
    takeOverStep();
    afterChangeStep();
}

void TFormHlav::Timer1Timer()
{
    ++m_ticks;
    m_link->tick();
    // What the link wrote in its tick, blocks read from the unit or a tuning write's cell, is
    // not an edit: no step takes it back.
    m_settled = m_image;
    followGraphs();
    // Out here rather than where the backup ended: the link is through with its reply.
    if (std::exchange(m_programAfterBackup, false))
        startProgram();
    watchPort();
}

void TFormHlav::MenuReadClick()
{
    startRecorded(files::HistoryKind::Read, [this] { m_link->MenuReadClick(); });
}

void TFormHlav::MenuVerifyClick()
{
    m_link->MenuVerifyClick();
    recordStep(nullptr, m_image); // the link's take-over may have found a typed cell
}

void TFormHlav::MenuProgramClick()
{
    m_programAfterBackup = false;
    if (m_backupFirst->isChecked())
        startRecorded(files::HistoryKind::Backup, [this] { m_link->readInto(m_backup); });
    else
        startProgram();
}

void TFormHlav::startProgram()
{
    startRecorded(files::HistoryKind::Program, [this] { m_link->MenuProgramClick(); });
    recordStep(nullptr, m_image); // the link's take-over may have found a typed cell
}

void TFormHlav::setBackground(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Window) == color && widget->autoFillBackground())
        return;
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QColor TFormHlav::buttonFace() const
{
    return QApplication::palette().color(QPalette::Button);
}

} // namespace velmora::ui
