// Building the window: menus, tool bar, the area under the pages and the monitor column.
#include "tformhlav.h"

#include "controls.h"
#include "form_parts.h"
#include "gauge.h"
#include "logo.h"

#include <QAction>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace velmora::ui {

using namespace form;

MouseUpCheckBox *TFormHlav::checkBox(QWidget *parent, const QString &name, const QString &text)
{
    auto *c = make<MouseUpCheckBox>(parent, name);
    c->setText(text);
    connect(c, &MouseUpCheckBox::mouseUp, this, &TFormHlav::CheckBoxMouseUp);
    return c;
}

void TFormHlav::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    using Handler = void (TFormHlav::*)();
    struct Item {
        const char *name;
        const char *caption;
        QKeySequence shortcut;
        const char *hint;
        Handler handler; // none: connected where the menu is made
    };
    auto addMenu = [&](const char *name, const char *title, const char *hint,
                       std::initializer_list<Item> items, bool separators) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(title));
        menu->setObjectName(QString::fromUtf8(name));
        menu->menuAction()->setObjectName(QString::fromUtf8(name) + QStringLiteral("Item"));
        if (hint)
            setHint(menu->menuAction(), QString::fromUtf8(hint));
        bool first = true;
        for (const Item &item : items) {
            if (separators && !first)
                menu->addSeparator();
            first = false;
            QAction *action = menu->addAction(QString::fromUtf8(item.caption));
            action->setObjectName(QString::fromUtf8(item.name));
            action->setShortcut(item.shortcut);
            if (item.hint)
                setHint(action, QString::fromUtf8(item.hint));
            if (item.handler)
                connect(action, &QAction::triggered, this, item.handler);
        }
        return menu;
    };

    addMenu(
        "MenuFile", "&File", nullptr,
        {{"MenuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N), "New|Set default parametrs",
          &TFormHlav::MenuNewClick},
         {"MenuOpen", "&Open", QKeySequence(Qt::Key_F3), "Open|Open file with parametrs",
          &TFormHlav::MenuOpenClick},
         {"MenuSave", "&Save", QKeySequence(Qt::Key_F2), "Save|Save parametrs to file",
          &TFormHlav::MenuSaveClick},
         {"MenuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), "Print|Print parametrs",
          &TFormHlav::SpeedButtonPrintClick},
         {"MenuExit", "E&xit", QKeySequence(), "Exit|End of program", &TFormHlav::MenuExitClick}},
        true);

    QMenu *edit =
        addMenu("MenuEdit", "&Edit", nullptr,
                {{"MenuUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), nullptr,
                  &TFormHlav::MenuUndoClick},
                 {"MenuRedo", "&Redo", QKeySequence(), nullptr, &TFormHlav::MenuRedoClick}},
                false);
    m_undoItem = edit->actions()[0];
    m_redoItem = edit->actions()[1];
    m_redoItem->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    QMenu *com = addMenu("MenuCom", "&Com", "Com|Set number of com", {}, false);
    for (int n = 1; n <= 10; ++n) {
        QString caption = QStringLiteral("Com ") + QString::number(n);
        caption.insert(n < 10 ? 4 : 5, QLatin1Char('&')); // "Com &1" .. "Com 1&0"
        QAction *action = com->addAction(caption);
        action->setObjectName(QStringLiteral("MenuCom%1").arg(n));
        action->setCheckable(true);
        setHint(action, QStringLiteral("Set com %1").arg(n));
        connect(action, &QAction::triggered, this, [this, n] { MenuCom1Click(n); });
        m_comItems[n - 1] = action;
    }
    com->addSeparator();
    QAction *portSetup = com->addAction(QStringLiteral("Port setup..."));
    portSetup->setObjectName(QStringLiteral("MenuPortSetup"));
    setHint(portSetup, QStringLiteral("Port setup|Assign serial ports to COM numbers"));
    connect(portSetup, &QAction::triggered, this, &TFormHlav::MenuPortSetupClick);

    addMenu("MenuDevice", "&Device", nullptr,
            {{"MenuRead", "&Read", QKeySequence(Qt::Key_F7), "Reading parameters from unit",
              &TFormHlav::MenuReadClick},
             {"MenuVerify", "&Verify", QKeySequence(Qt::Key_F8),
              "Compare set parameters  with parameters of unit", &TFormHlav::MenuVerifyClick},
             {"MenuProgram", "&Program", QKeySequence(Qt::Key_F9),
              "Programing  set parameters to unit", &TFormHlav::MenuProgramClick}},
            false);

    QMenu *tp = addMenu("MenuTPmode", "TP mode", nullptr,
                        {{"MenuTpNormal", "Normal", QKeySequence(), nullptr, nullptr},
                         {"MenuTpConnected", "Connected", QKeySequence(), nullptr, nullptr},
                         {"MenuTP14", "TP14->TP23", QKeySequence(), nullptr, nullptr},
                         {"MenuTP23", "TP23->TP14", QKeySequence(), nullptr, nullptr}},
                        false);
    for (std::uint8_t mode = 0; mode < m_tpModeItems.size(); ++mode) {
        m_tpModeItems[mode] = tp->actions()[mode];
        m_tpModeItems[mode]->setCheckable(true);
        connect(m_tpModeItems[mode], &QAction::triggered, this,
                [this, mode] { MenuTpNormalClick(mode); });
    }

    QMenu *tools = addMenu("MenuTools", "Tools", nullptr,
                           {{"MenuToolsMinus", "Minus ", QKeySequence(Qt::Key_F4), nullptr,
                             &TFormHlav::MenuToolsMinusClick},
                            {"MenuToolsPlus", "Plus", QKeySequence(Qt::Key_F5), nullptr,
                             &TFormHlav::MenuToolsPlusClick}},
                           false);
    // The safety net after the specified items; the language tables give the captions.
    tools->addSeparator();
    QAction *compare = tools->addAction(QStringLiteral("Compare..."));
    compare->setObjectName(QStringLiteral("MenuCompare"));
    connect(compare, &QAction::triggered, this, &TFormHlav::MenuCompareClick);
    QAction *history = tools->addAction(QStringLiteral("Unit history..."));
    history->setObjectName(QStringLiteral("MenuUnitHistory"));
    connect(history, &QAction::triggered, this, &TFormHlav::MenuUnitHistoryClick);
    m_keepHistory = tools->addAction(QStringLiteral("Keep unit history"));
    m_keepHistory->setObjectName(QStringLiteral("MenuKeepHistory"));
    m_keepHistory->setCheckable(true);
    m_keepHistory->setChecked(true);
    m_backupFirst = tools->addAction(QStringLiteral("Back up the unit before programming"));
    m_backupFirst->setObjectName(QStringLiteral("MenuBackupFirst"));
    m_backupFirst->setCheckable(true);
    buildLogItems(tools);
    QAction *openLog = tools->addAction(QStringLiteral("Open log..."));
    openLog->setObjectName(QStringLiteral("MenuOpenLog"));
    connect(openLog, &QAction::triggered, this, &TFormHlav::MenuOpenLogClick);
    QAction *graphs = tools->addAction(QStringLiteral("Graphs"));
    graphs->setObjectName(QStringLiteral("MenuGraphs"));
    connect(graphs, &QAction::triggered, this, &TFormHlav::MenuGraphsClick);
    QAction *analysis = tools->addAction(QStringLiteral("Map analysis..."));
    analysis->setObjectName(QStringLiteral("MenuAnalysis"));
    connect(analysis, &QAction::triggered, this, &TFormHlav::MenuAnalysisClick);

    QMenu *languages = addMenu(
        "MenuLanguage", "&Language", "Language|Set English or Czech or German",
        {{"MenuEnglish", "&English", QKeySequence(), "Set Englich menu",
          &TFormHlav::MenuEnglishClick},
         {"MenuCzech", "&Czech", QKeySequence(), "Nastavit české menu", &TFormHlav::MenuCzechClick},
         {"MenuGerman", "&German", QKeySequence(), "Deutche Menü", &TFormHlav::MenuGermanClick}},
        false);
    for (QAction *a : languages->actions())
        a->setCheckable(true);

    addMenu("MenuHelp", "&Help", "Not available jet",
            {{"MenuContens", "&Contens", QKeySequence(Qt::Key_F1), nullptr,
              &TFormHlav::MenuContensClick},
             {"MenuAbout", "&About...", QKeySequence(), nullptr, &TFormHlav::MenuAboutClick}},
            false);
}

QWidget *TFormHlav::buildToolBar()
{
    auto *row = new QWidget(this);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 2, 0, 0);

    QGroupBox *bar = group(row, QStringLiteral("GroupBoxToolBar"), QString());
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 3, 4, 3);
    layout->setSpacing(3);

    struct Tool {
        const char *name;
        QStyle::StandardPixmap icon;
        const char *hint;
        void (TFormHlav::*handler)();
    };
    const Tool tools[] = {
        {"SpeedButton6", QStyle::SP_FileIcon, "New|Set default parametrs",
         &TFormHlav::MenuNewClick},
        {"SpeedButton5", QStyle::SP_DialogOpenButton, "Open|Open file with parametrs",
         &TFormHlav::MenuOpenClick},
        {"SpeedButton7", QStyle::SP_DialogSaveButton, "Save|Save parametrs to file",
         &TFormHlav::MenuSaveClick},
        {"SpeedButtonPrint", QStyle::SP_FileDialogDetailedView, "Print|Print parametrs",
         &TFormHlav::SpeedButtonPrintClick},
    };
    for (const Tool &t : tools) {
        auto *b = make<QToolButton>(bar, QString::fromUtf8(t.name));
        b->setIcon(style()->standardIcon(t.icon));
        b->setIconSize(QSize(22, 22));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        setHint(b, QString::fromUtf8(t.hint));
        connect(b, &QToolButton::clicked, this, t.handler);
        layout->addWidget(b);
    }

    layout->addSpacing(10);
    QPushButton *read = button(bar, QStringLiteral("Button1"), QStringLiteral("&Read"));
    setHint(read, QStringLiteral("Reading parametrs from ignition"));
    QPushButton *verify = button(bar, QStringLiteral("BitBtn2"), QStringLiteral("Verify"));
    setHint(verify, QStringLiteral("Compare set parametrs  with parametrs of ignition"));
    QPushButton *program = button(bar, QStringLiteral("BitBtn1"), QStringLiteral("Program"));
    setHint(program, QStringLiteral("Programing  set parametrs to ignition"));
    verify->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    program->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    for (QPushButton *b : {read, verify, program}) {
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
    }
    connect(read, &QPushButton::clicked, this, &TFormHlav::MenuReadClick);
    connect(verify, &QPushButton::clicked, this, &TFormHlav::MenuVerifyClick);
    connect(program, &QPushButton::clicked, this, &TFormHlav::MenuProgramClick);

    rowLayout->addWidget(bar);
    rowLayout->addSpacing(12);
    m_spojeni = label(row, QStringLiteral("LabelSpojeni"), QStringLiteral("No Connection"));
    m_spojeni->setContentsMargins(6, 2, 6, 2);
    setBackground(m_spojeni, Qt::red);
    m_spojeni->hide();
    rowLayout->addWidget(m_spojeni);
    rowLayout->addStretch(1);
    return row;
}

QWidget *TFormHlav::buildLowerArea()
{
    auto *area = new QWidget(this);
    auto *layout = new QGridLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *messageRow = new QHBoxLayout;
    m_hlaseni = label(area, QStringLiteral("LabelHlaseni"), QStringLiteral("Programming:"));
    QFont bold = m_hlaseni->font();
    bold.setBold(true);
    m_hlaseni->setFont(bold);
    m_hlaseni->setMinimumWidth(170);
    messageRow->addWidget(m_hlaseni);
    m_gaugeProgram = make<Gauge>(area, QStringLiteral("CGaugeProgram"));
    m_gaugeProgram->setRange(0, 5);
    m_gaugeProgram->setForeColor(QColor(0x00, 0x00, 0x80));
    m_gaugeProgram->setFixedSize(297, 21);
    messageRow->addWidget(m_gaugeProgram);
    messageRow->addSpacing(20);
    m_ladeniOn = checkBox(area, QStringLiteral("CheckBoxLadeniOn"), QStringLiteral("Tuning On"));
    messageRow->addWidget(m_ladeniOn);
    messageRow->addStretch(1);
    layout->addLayout(messageRow, 0, 0, 1, 2);

    auto *logo = make<LogoLabel>(area, QStringLiteral("ImageLogo"));
    layout->addWidget(logo, 1, 0, 2, 1);

    auto *state = new QVBoxLayout;
    QLabel *blocking =
        label(area, QStringLiteral("LabelBlocking"), QStringLiteral("Blocking = ---"));
    m_priveraPoz =
        label(area, QStringLiteral("LabelPriveraPoz"), QStringLiteral("Servo desired= --- [mV]"));
    m_priveraMer =
        label(area, QStringLiteral("LabelPriveraMer"), QStringLiteral("Servo measured= --- [mV]"));
    for (QLabel *l : {blocking, m_priveraPoz, m_priveraMer}) {
        l->setContentsMargins(4, 1, 4, 1);
        state->addWidget(l);
    }
    using D = link::MonitorDisplay;
    m_monitorLabels.emplace_back(&D::blocking, blocking);
    m_monitorLabels.emplace_back(&D::servoDesired, m_priveraPoz);
    m_monitorLabels.emplace_back(&D::servoMeasured, m_priveraMer);
    state->addStretch(1);
    layout->addLayout(state, 1, 1, 2, 1);

    QLabel *eeError =
        label(area, QStringLiteral("LabelEeDataErr"), QStringLiteral("Programmed data error"));
    QLabel *version = label(area, QStringLiteral("LabelVersion"), QString());
    m_version = version;
    m_dataError = eeError;
    for (QLabel *l : {eeError, version}) {
        l->setContentsMargins(4, 1, 4, 1);
        setBackground(l, Qt::red);
    }
    layout->addWidget(eeError, 3, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(version, 4, 0, 1, 2, Qt::AlignLeft);

    auto *tests = new QHBoxLayout;
    for (int n = 1; n <= 8; ++n) {
        QLabel *test = label(area, QStringLiteral("LabelTest%1").arg(n),
                             QStringLiteral("Test%1 = --- ").arg(n));
        m_testLabels.push_back(test);
        tests->addWidget(test);
    }
    tests->addStretch(1);
    layout->addLayout(tests, 5, 0, 1, 2);
    layout->setColumnStretch(1, 1);

    m_startHidden = {m_hlaseni, m_gaugeProgram, eeError, version};
    return area;
}

QWidget *TFormHlav::buildMonitorColumn()
{
    auto *column = new QWidget(this);
    column->setFixedWidth(245);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->setSpacing(3);

    using D = link::MonitorDisplay;
    auto addLabel = [&](const char *name, const char *text, link::LabelText D::*shows) {
        QLabel *l = label(column, QString::fromUtf8(name), QString::fromUtf8(text));
        l->setContentsMargins(4, 1, 4, 1);
        layout->addWidget(l);
        m_monitorLabels.emplace_back(shows, l);
    };
    auto addGauge = [&](const char *name, const QColor &fore) {
        Gauge *g = make<Gauge>(column, QString::fromUtf8(name));
        g->setRange(0, 100);
        g->setProgress(0);
        g->setForeColor(fore);
        g->setBackColor(Qt::white);
        layout->addWidget(g);
        layout->addSpacing(6);
        return g;
    };

    addLabel("LabelRpm", "RPM = ---", &D::rpm);
    m_gaugeRpm = addGauge("CGaugeRpm", QColor(0xff, 0x00, 0xff));
    addLabel("LabelTpsMon", "TP= --- [%]", &D::throttle);
    m_gaugeTps = addGauge("CGaugeTps", desktopColour());
    addLabel("LabelLambda", "LAMBDA= --- [mV]", &D::lambda);
    m_gaugeLambda = addGauge("CGaugeLambda", Qt::black);
    auto *scale = new QHBoxLayout;
    scale->setSpacing(0);
    const std::pair<const char *, QColor> bars[] = {{"LabelBarGraf1", Qt::blue},
                                                    {"LabelBarGraf2", QColor(0x00, 0xff, 0x00)},
                                                    {"LabelBarGraf3", Qt::red}};
    for (const auto &[name, colour] : bars) {
        QLabel *bar = label(column, QString::fromUtf8(name), QString());
        bar->setFixedHeight(6);
        setBackground(bar, colour);
        scale->addWidget(bar, 1);
    }
    layout->insertLayout(layout->count() - 1, scale);
    addLabel("LabelVoda", "TW= --- [°C]", &D::coolant);
    m_gaugeVoda = addGauge("CGaugeVoda", QColor(0x00, 0xff, 0xff));
    addLabel("LabelVzduch", "AT= --- [°C]", &D::air);
    addLabel("LabelPodtlak", "IAP= --- [%]", &D::intakePressure);
    addLabel("LabelTlak", "AP = --- [kPa]", &D::ambientPressure);
    addLabel("LabelNapeti", "U = --- [V]", &D::supply);
    addLabel("LabelAdvance", "ADVANCE = --- [°]", &D::advance);
    addLabel("LabelSnimacCkps", "Pick-up (CKPS) - ---", &D::crankPickup);
    addLabel("LabelSnimacCmps", "Pick-up (CMPS) - ---", &D::camPickup);
    addLabel("LabelCasJet14", "INJ. TIME 14 = --- [us]", &D::injection14);
    addLabel("LabelCasJet23", "INJ. TIME 23 = --- [us]", &D::injection23);
    addLabel("LabelMaxInjProcent", "INJ. DUTY = --- [%]", &D::duty);
    m_gaugeDuty = addGauge("CGaugeDuty", QColor(0x00, 0xff, 0xff));
    layout->addStretch(1);
    return column;
}

} // namespace velmora::ui
