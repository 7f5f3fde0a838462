// Building the window: menus, tool bar, the seven pages, the area under them and the monitor
// column. Every control the rest of the program names gets that name as its object name.
#include "tformhlav.h"

#include "arrow_buttons.h"
#include "controls.h"
#include "gauge.h"
#include "logo.h"
#include "up_down.h"

#include "model/parameter_set.h"

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

namespace {

// A hint is "short|long": the tooltip shows the short part, the status bar the long part; a hint
// without a bar serves for both.
void setHint(QWidget *w, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

void setHint(QAction *a, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    a->setToolTip(bar < 0 ? hint : hint.left(bar));
    a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

template <typename W> W *make(QWidget *parent, const QString &name)
{
    auto *w = new W(parent);
    w->setObjectName(name);
    return w;
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = make<QLabel>(parent, name);
    l->setText(caption);
    return l;
}

// A label with no name of its own: a fixed caption of the layout.
QLabel *caption(QWidget *parent, const QString &text, Qt::Alignment align = Qt::AlignLeft)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}


QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = make<QPushButton>(parent, name);
    b->setText(text);
    return b;
}

QGroupBox *group(QWidget *parent, const QString &name, const QString &title)
{
    auto *g = make<QGroupBox>(parent, name);
    g->setTitle(title);
    return g;
}

ArrowButtons *spinButton(QWidget *parent, const QString &name)
{
    auto *s = make<ArrowButtons>(parent, name);
    s->setFixedSize(15, 22);
    return s;
}

QColor desktopColour()
{
    return QColor(0x3a, 0x6e, 0xa5);
}

} // namespace

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

    addMenu("MenuFile", "&File", nullptr,
            {{"MenuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N), "New|Set default parametrs",
              &TFormHlav::MenuNewClick},
             {"MenuOpen", "&Open", QKeySequence(Qt::Key_F3), "Open|Open file with parametrs",
              &TFormHlav::MenuOpenClick},
             {"MenuSave", "&Save", QKeySequence(Qt::Key_F2), "Save|Save parametrs to file",
              &TFormHlav::MenuSaveClick},
             {"MenuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P), "Print|Print parametrs",
              &TFormHlav::SpeedButtonPrintClick},
             {"MenuExit", "E&xit", QKeySequence(), "Exit|End of program",
              &TFormHlav::MenuExitClick}},
            true);

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

    addMenu("MenuTools", "Tools", nullptr,
            {{"MenuToolsMinus", "Minus ", QKeySequence(Qt::Key_F4), nullptr,
              &TFormHlav::MenuToolsMinusClick},
             {"MenuToolsPlus", "Plus", QKeySequence(Qt::Key_F5), nullptr,
              &TFormHlav::MenuToolsPlusClick}},
            false);

    QMenu *languages =
        addMenu("MenuLanguage", "&Language", "Language|Set English or Czech or German",
                {{"MenuEnglish", "&English", QKeySequence(), "Set Englich menu",
                  &TFormHlav::MenuEnglishClick},
                 {"MenuCzech", "&Czech", QKeySequence(), "Nastavit české menu",
                  &TFormHlav::MenuCzechClick},
                 {"MenuGerman", "&German", QKeySequence(), "Deutche Menü",
                  &TFormHlav::MenuGermanClick}},
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

QWidget *TFormHlav::buildPages()
{
    m_pages = make<QTabWidget>(this, QStringLiteral("PageControl1"));
    const MapPageSpec maps[] = {
        {InjectionMap::Tp14, cell::kRpmJetTp, cell::kJetTp, 0, "GroupBoxTps", "", 1,
         "BitBtnJetTpsMinus", "BitBtnJetTpsPlus", "CheckBoxJetTpsAll",
         &TFormHlav::BitBtnJetTpsMinusClick, &TFormHlav::BitBtnJetTpsPlusClick},
        {InjectionMap::Tp23, cell::kRpmJetTpi, cell::kJetTpi, 10, "GroupBoxTpsi", "i", 1,
         "BitBtnJetTpsMinusi", "BitBtnJetTpsPlusi", "CheckBoxJetTpsAlli",
         &TFormHlav::BitBtnJetTpsMinusiClick, &TFormHlav::BitBtnJetTpsPlusiClick},
        {InjectionMap::Iap, cell::kRpmJetIap, cell::kJetIap, 20, "GroupBox4", "", 11,
         "BitBtnJetIapMinus", "BitBtnJetIapPlus", "CheckBoxJetIapAll",
         &TFormHlav::BitBtnJetIapMinusClick, &TFormHlav::BitBtnJetIapPlusClick},
    };
    struct Page {
        const char *name;
        const char *caption;
        QWidget *content;
    };
    QWidget *ignition = buildIgnitionPage();
    const MapPage tp14 = buildMapPage(maps[0]);
    const MapPage tp23 = buildMapPage(maps[1]);
    const MapPage iap = buildMapPage(maps[2]);
    const Page pages[] = {
        {"TabSheet_Ign", "Zapalování", ignition},
        {"TabSheet_Tp14", "TP mapa 14", tp14.page},
        {"TabSheet_Tp23", "TP mapa 23", tp23.page},
        {"TabSheet_Iap", "IAP mapa", iap.page},
        {"TabSheet5", "Různé", buildMiscPage()},
        {"TabSheet_Servo", "Servo", buildServoPage()},
        {"TabSheetLadeni", "Tuning", buildTuningPage()},
    };
    for (const Page &page : pages) {
        page.content->setObjectName(QString::fromUtf8(page.name));
        m_pages->addTab(page.content, QString::fromUtf8(page.caption));
    }
    m_groupTps = tp14.group;
    m_groupTpsi = tp23.group;

    // Everything of the TP23 map that edits it, hidden while the maps are coupled.
    for (std::size_t i = 0; i < layout::kCurvePoints; ++i)
        m_tp23Editors.push_back(m_grid->upDown(cell::kRpmJetTpi + i));
    for (std::size_t e = 0; e < layout::kMapCells; ++e)
        m_tp23Editors.push_back(m_grid->upDown(cell::kJetTpi + e));
    m_tp23Editors.insert(m_tp23Editors.end(), tp23.editors.begin(), tp23.editors.end());
    return m_pages;
}

QWidget *TFormHlav::buildIgnitionPage()
{
    auto *page = new QWidget(this);
    auto *columns = new QHBoxLayout(page);

    QGroupBox *advance = group(page, QStringLiteral("GroupBox1"), QStringLiteral("Advance"));
    auto *curve = new QGridLayout(advance);
    curve->setVerticalSpacing(2);
    QLabel *rpm = label(advance, QStringLiteral("Label1"), QStringLiteral("RPM"));
    setHint(rpm, QStringLiteral("Round per Minute|Speed - Round per Minute"));
    curve->addWidget(rpm, 0, 0, Qt::AlignCenter);
    curve->addWidget(label(advance, QStringLiteral("Label2"), QStringLiteral("Advance [°]")), 0, 1,
                     Qt::AlignCenter);
    for (std::size_t i = 0; i < layout::kCurvePoints; ++i) {
        curve->addWidget(m_grid->box(cell::kRpmAdv + i), static_cast<int>(i) + 1, 0,
                         Qt::AlignCenter);
        curve->addWidget(m_grid->box(cell::kAdvance + i), static_cast<int>(i) + 1, 1,
                         Qt::AlignCenter);
    }
    auto *buttons = new QHBoxLayout;
    QPushButton *minus = button(advance, QStringLiteral("BitBtnIgnMinus"), QStringLiteral("-"));
    setHint(minus, QStringLiteral("Curve A minus|Take off 1 degree of curve A"));
    connect(minus, &QPushButton::clicked, this, &TFormHlav::CurveMinusClick);
    QPushButton *plus = button(advance, QStringLiteral("BitBtnIgnPlus"), QStringLiteral("+"));
    setHint(plus, QStringLiteral("Curve A plus|Add 1 degree of curve A"));
    connect(plus, &QPushButton::clicked, this, &TFormHlav::CurvePlusClick);
    buttons->addWidget(minus);
    buttons->addWidget(plus);
    m_ignitionAll = checkBox(advance, QStringLiteral("CheckBoxIgnAll"), QStringLiteral("All"));
    buttons->addWidget(m_ignitionAll);
    curve->addLayout(buttons, 11, 0, 1, 2);
    curve->setRowStretch(12, 1);
    columns->addWidget(advance);

    auto *right = new QVBoxLayout;
    QGroupBox *other = group(page, QStringLiteral("GroupBox3"), QStringLiteral("Other"));
    auto *form = new QGridLayout(other);
    form->addWidget(label(other, QStringLiteral("LabelOmez2"), QStringLiteral("Limiter [rpm]")), 0,
                    0);
    form->addWidget(m_grid->box(findCell("EditOmez2")), 0, 1);
    form->addWidget(
        label(other, QStringLiteral("Label10"), QStringLiteral("Gear Shift Light [rpm]")), 1, 0);
    form->addWidget(m_grid->box(findCell("Edit46")), 1, 1);
    m_bike = make<NoWheelComboBox>(other, QStringLiteral("ComboBoxBike"));
    for (std::string_view item : kModelItems)
        m_bike->addItem(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
    setHint(m_bike, QStringLiteral("Motorbike Type"));
    form->addWidget(m_bike, 2, 0, 1, 2);
    m_blokEnable =
        checkBox(other, QStringLiteral("CheckBoxBlokEnable"), QStringLiteral("Blocking enable"));
    form->addWidget(m_blokEnable, 3, 0, 1, 2);
    m_progHned = checkBox(other, QStringLiteral("CheckBoxProgHned"),
                          QStringLiteral("Programming after change"));
    setHint(m_progHned, QStringLiteral("Programing at once after change"));
    form->addWidget(m_progHned, 4, 0, 1, 2);
    right->addWidget(other);

    QGroupBox *pulses = group(page, QStringLiteral("GroupBoxRpm"), QStringLiteral("RPM"));
    auto *pulseForm = new QGridLayout(pulses);
    pulseForm->addWidget(caption(pulses, QStringLiteral("Pulses")), 0, 0);
    pulseForm->addWidget(m_grid->box(findCell("EditRpmPulsu")), 0, 1);
    pulseForm->addWidget(caption(pulses, QStringLiteral("Correction")), 1, 0);
    pulseForm->addWidget(m_grid->box(findCell("EditRpmKorekce")), 1, 1);
    pulseForm->setColumnStretch(2, 1);
    right->addWidget(pulses);

    auto *identity = new QGridLayout;
    const char *verzeHints[] = {"Version|Version of program in ignition",
                                "Date|Date of program in ignition",
                                "Time|Time of program in ignition"};
    for (int k = 0; k < 3; ++k) {
        m_verze[k] = label(page, QStringLiteral("LabelVerze%1").arg(k + 1), QString());
        m_verze[k]->setFrameShape(QFrame::Panel);
        m_verze[k]->setFrameShadow(QFrame::Sunken);
        m_verze[k]->setMinimumWidth(90);
        setHint(m_verze[k], QString::fromUtf8(verzeHints[k]));
        identity->addWidget(m_verze[k], 0, k);
    }
    right->addLayout(identity);

    auto *file = new QHBoxLayout;
    file->addWidget(label(page, QStringLiteral("LabelFile1"), QStringLiteral("File:")));
    m_file2 = label(page, QStringLiteral("LabelFile2"), QStringLiteral("----------"));
    m_file2->setWordWrap(true);
    file->addWidget(m_file2, 1);
    right->addLayout(file);
    right->addStretch(1);
    columns->addLayout(right, 1);
    return page;
}

TFormHlav::MapPage TFormHlav::buildMapPage(const MapPageSpec &spec)
{
    MapPage built;
    auto *page = new QWidget(this);
    built.page = page;
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    QGroupBox *map = group(page, QString::fromUtf8(spec.group), QString());
    built.group = map;
    auto *grid = new QGridLayout(map);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(1);
    grid->addWidget(caption(map, QStringLiteral("rpm"), Qt::AlignRight), 0, 0);
    // One spin button under each speed column shifts that column.
    for (int c = 0; c < 10; ++c) {
        grid->addWidget(m_grid->box(spec.axisCell + c), 0, c + 1, Qt::AlignCenter);
        ArrowButtons *spin =
            spinButton(map, QStringLiteral("CSpinButton%1%2")
                                .arg(spec.firstSpin + c)
                                .arg(QLatin1String(spec.suffix)));
        connect(spin, &ArrowButtons::upClicked, this,
                [this, m = spec.map, c] { CSpinButtonUpClick(m, c); });
        connect(spin, &ArrowButtons::downClicked, this,
                [this, m = spec.map, c] { CSpinButtonDownClick(m, c); });
        built.editors.push_back(spin);
        grid->addWidget(spin, 11, c + 1, Qt::AlignCenter);
    }
    for (int r = 0; r < 10; ++r) {
        QLabel *row = m_grid->rowLabel(spec.rowLabel + r);
        row->setParent(map);
        grid->addWidget(row, r + 1, 0);
        for (int c = 0; c < 10; ++c)
            grid->addWidget(m_grid->box(spec.mapCell + 10 * r + c), r + 1, c + 1,
                            Qt::AlignCenter);
    }
    auto *buttons = new QHBoxLayout;
    QPushButton *minus = button(map, QString::fromUtf8(spec.minus), QStringLiteral("-"));
    QPushButton *plus = button(map, QString::fromUtf8(spec.plus), QStringLiteral("+"));
    setHint(minus, QStringLiteral("Injection minus 1 percent"));
    setHint(plus, QStringLiteral("Injection plus 1 percent"));
    connect(minus, &QPushButton::clicked, this, spec.minusClick);
    connect(plus, &QPushButton::clicked, this, spec.plusClick);
    buttons->addWidget(minus);
    buttons->addWidget(plus);
    MouseUpCheckBox *all = checkBox(map, QString::fromUtf8(spec.all), QStringLiteral("All"));
    m_mapAll[static_cast<std::size_t>(spec.map)] = all;
    buttons->addWidget(all);
    built.editors.insert(built.editors.end(), {minus, plus, all});
    if (spec.map == InjectionMap::Iap) {
        buttons->addSpacing(20);
        buttons->addWidget(
            label(map, QStringLiteral("LabelIapToTps"), QStringLiteral("IAP to TPS [%]")));
        buttons->addWidget(m_grid->box(findCell("EditIapToTps")));
    }
    buttons->addStretch(1);
    grid->addLayout(buttons, 12, 0, 1, 11);
    pageLayout->addWidget(map);
    pageLayout->addStretch(1);
    return built;
}

QWidget *TFormHlav::buildMiscPage()
{
    auto *page = new QWidget(this);
    auto *grid = new QGridLayout(page);
    grid->setVerticalSpacing(4);
    auto cellAt = [this](const char *edit) { return m_grid->box(findCell(edit)); };

    QGroupBox *temps = group(page, QStringLiteral("GroupBoxVodaVzduch"),
                             QStringLiteral("Temperature Corrections"));
    auto *t = new QGridLayout(temps);
    t->setVerticalSpacing(2);
    const char *degrees[] = {"-10°C", "20°C", "50°C", "80°C", "110°C"};
    for (int k = 0; k < 5; ++k) {
        t->addWidget(caption(temps, QString::fromUtf8(degrees[k]), Qt::AlignHCenter), 0, k + 1);
        t->addWidget(m_grid->box(cell::kWaterTemp + k), 1, k + 1);
        t->addWidget(m_grid->box(cell::kAirTemp + k), 2, k + 1);
    }
    t->addWidget(label(temps, QStringLiteral("LabelVoda2"), QStringLiteral("Coolant")), 1, 0);
    t->addWidget(label(temps, QStringLiteral("LabelVzduch2"), QStringLiteral("Inlet Air")), 2, 0);
    t->addWidget(caption(temps, QStringLiteral("[%]")), 0, 0);
    grid->addWidget(temps, 0, 0, 1, 2);

    // The post-start correction curve: correction k at time k - 1 (time 0 fixed), 100 % at the
    // last time.
    QGroupBox *choke =
        group(page, QStringLiteral("GroupBoxSytic"), QStringLiteral("Starting Corrections"));
    auto *s = new QGridLayout(choke);
    s->setVerticalSpacing(2);
    s->addWidget(label(choke, QStringLiteral("LabelSyticCas"), QStringLiteral("Time [s]")), 0, 0);
    s->addWidget(caption(choke, QStringLiteral("0"), Qt::AlignHCenter), 0, 1);
    s->addWidget(label(choke, QStringLiteral("LabelSyticKorekce"),
                       QStringLiteral("Corrections for -10°C [%]")),
                 1, 0);
    for (int k = 0; k < 4; ++k) {
        s->addWidget(cellAt(("EditSyticCas" + std::to_string(k + 1)).c_str()), 0, k + 2);
        s->addWidget(cellAt(("EditSyticKorekce" + std::to_string(k)).c_str()), 1, k + 1);
    }
    s->addWidget(caption(choke, QStringLiteral("100"), Qt::AlignHCenter), 1, 5);
    grid->addWidget(choke, 1, 0, 1, 2);

    QGroupBox *tps = group(page, QStringLiteral("GroupBoxSetTps"), QStringLiteral("TPS"));
    auto *tl = new QGridLayout(tps);
    tl->addWidget(label(tps, QStringLiteral("LabelSetTps0"), QStringLiteral("Voltage at 0 % [mV]")),
                  0, 0);
    tl->addWidget(cellAt("EditTps0"), 0, 1);
    QPushButton *tps0 = button(tps, QStringLiteral("BitBtnTps0"), QStringLiteral("TPS 0 %"));
    connect(tps0, &QPushButton::clicked, this, &TFormHlav::BitBtnTps0Click);
    tl->addWidget(tps0, 0, 2);
    tl->addWidget(
        label(tps, QStringLiteral("LabelSetTps100"), QStringLiteral("Voltage at 100 % [mV]")), 1,
        0);
    tl->addWidget(cellAt("EditTps100"), 1, 1);
    QPushButton *tps100 =
        button(tps, QStringLiteral("BitBtnTps100"), QStringLiteral("TPS 100 %"));
    connect(tps100, &QPushButton::clicked, this, &TFormHlav::BitBtnTps100Click);
    tl->addWidget(tps100, 1, 2);
    grid->addWidget(tps, 2, 0);

    QGroupBox *accel =
        group(page, QStringLiteral("GroupBoxAkcel"), QStringLiteral("Acceleration Injection"));
    auto *al = new QGridLayout(accel);
    al->addWidget(label(accel, QStringLiteral("LabelAkcelPrah"), QStringLiteral("Threshold [%/s]")),
                  0, 0);
    al->addWidget(cellAt("EditAkcelPrah"), 0, 1);
    al->addWidget(label(accel, QStringLiteral("LabelAkcelJet"), QStringLiteral("Size[us]")), 1, 0);
    al->addWidget(cellAt("EditAkcelJet"), 1, 1);
    grid->addWidget(accel, 2, 1);

    auto *singles = new QHBoxLayout;
    struct Single {
        const char *group;
        const char *title;
        const char *edit;
        const char *unit;
    };
    const Single singleGroups[] = {
        {"GroupBoxStartJet", "Start Injection", "EditStartJet", "[ms]"},
        {"GroupBoxChlazeni", "Cooling", "EditChlazeni", "[°C]"},
        {"GroupBoxKlapkaSani", "Intake Duct Valve", "EditKlapkaSani", "[rpm]"},
    };
    for (const Single &sg : singleGroups) {
        QGroupBox *g = group(page, QString::fromUtf8(sg.group), QString::fromUtf8(sg.title));
        auto *gl = new QHBoxLayout(g);
        gl->addWidget(cellAt(sg.edit));
        gl->addWidget(caption(g, QString::fromUtf8(sg.unit)));
        gl->addStretch(1);
        singles->addWidget(g);
    }
    grid->addLayout(singles, 3, 0, 1, 2);

    auto *monitor = new QGridLayout;
    m_extMonitor =
        checkBox(page, QStringLiteral("CheckBoxExtMonitor"), QStringLiteral("Extended Monitor"));
    monitor->addWidget(m_extMonitor, 0, 0);
    using D = link::MonitorDisplay;
    const std::tuple<const char *, const char *, link::LabelText D::*> corrections[] = {
        {"LabelKorVoda", "TW correction= --- %", &D::coolantCorrection},
        {"LabelKorVzduch", "AT correction= --- %", &D::airCorrection},
        {"LabelKorTlak", "AP correction= --- %", &D::pressureCorrection},
        {"LabelKorSytic", "Starting corr.= --- %", &D::startCorrection},
        {"LabelKorNapeti", "U correction= --- us", &D::supplyCorrection}};
    for (int k = 0; k < 5; ++k) {
        const auto &[name, text, shows] = corrections[k];
        QLabel *correction = label(page, QString::fromUtf8(name), QString::fromUtf8(text));
        m_monitorLabels.emplace_back(shows, correction);
        monitor->addWidget(correction, 1 + k % 3, k / 3);
    }
    m_pocetProgramovani = label(page, QStringLiteral("LabelPocetProgramovani"),
                                QStringLiteral("Number of Programing= --- "));
    m_monitorLabels.emplace_back(&D::programmingCount, m_pocetProgramovani);
    m_pocetProgramovani->hide();
    monitor->addWidget(m_pocetProgramovani, 0, 1);
    grid->addLayout(monitor, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    return page;
}

QWidget *TFormHlav::buildServoPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_privEnable =
        checkBox(page, QStringLiteral("CheckBoxPrivEnable"), QStringLiteral("Servo Enable"));
    layout->addWidget(m_privEnable);

    m_groupPrivera = group(page, QStringLiteral("GroupBoxPrivera"), QStringLiteral("Servo"));
    auto *columns = new QHBoxLayout(m_groupPrivera);
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    grid->addWidget(caption(m_groupPrivera, QStringLiteral("[rpm]"), Qt::AlignHCenter), 0, 0);
    grid->addWidget(caption(m_groupPrivera, QStringLiteral("[mV]"), Qt::AlignHCenter), 0, 1);
    for (int i = 0; i < 10; ++i) {
        grid->addWidget(m_grid->box(cell::kRpmPriv + i), i + 1, 0, Qt::AlignCenter);
        grid->addWidget(m_grid->box(cell::kNapPriv + i), i + 1, 1, Qt::AlignCenter);
    }
    auto *buttons = new QHBoxLayout;
    QPushButton *minus =
        button(m_groupPrivera, QStringLiteral("BitBtnServoMinus"), QStringLiteral("-"));
    connect(minus, &QPushButton::clicked, this, &TFormHlav::BitBtnServoMinusClick);
    buttons->addWidget(minus);
    QPushButton *plus =
        button(m_groupPrivera, QStringLiteral("BitBtnServoPlus"), QStringLiteral("+"));
    connect(plus, &QPushButton::clicked, this, &TFormHlav::BitBtnServoPlusClick);
    buttons->addWidget(plus);
    m_servoAll =
        checkBox(m_groupPrivera, QStringLiteral("CheckBoxPrivAll"), QStringLiteral("All"));
    buttons->addWidget(m_servoAll);
    grid->addLayout(buttons, 11, 0, 1, 2);
    columns->addLayout(grid);
    columns->addSpacing(24);

    auto *hysteresis = new QVBoxLayout;
    hysteresis->addWidget(label(m_groupPrivera, QStringLiteral("LabelPrivHyster"),
                                QStringLiteral("Sevro Hysteresis [mV]")));
    hysteresis->addWidget(m_grid->box(findCell("EditPrivHyster")));
    hysteresis->addStretch(1);
    columns->addLayout(hysteresis);
    columns->addStretch(1);
    layout->addWidget(m_groupPrivera);
    layout->addStretch(1);
    return page;
}

QWidget *TFormHlav::buildTuningPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    QLabel *warning = label(page, QStringLiteral("LabelLadeni"),
                            QStringLiteral("Caution - For experienced user only!"));
    QFont bold = warning->font();
    bold.setBold(true);
    warning->setFont(bold);
    layout->addWidget(warning);
    m_ladeniPovoleno = checkBox(page, QStringLiteral("CheckBoxLadeniPovoleno"),
                                QStringLiteral("Automatic tuning unlock"));
    layout->addWidget(m_ladeniPovoleno);

    m_groupLadeni = group(page, QStringLiteral("GroupBoxLadeni"), QStringLiteral("Tuning"));
    auto *form = new QGridLayout(m_groupLadeni);
    const char *rows[][3] = {
        {"LabelLadeniLambda", "Lambda required", "EditLadeniLambda"},
        {"LabelLadeniHyster", "Required accuracy of lambda", "EditLadeniHyster"},
        {"LabelLadeniRpm", "Max deviation RPM", "EditLadeniRpm"},
        {"LabelLadeniTps", "Max deviation TPS, IAP [%]", "EditLadeniTps"},
        {"LabelLadeniCas", "Time step [ms]", "EditLadeniCas"}};
    for (int r = 0; r < 5; ++r) {
        form->addWidget(
            label(m_groupLadeni, QString::fromUtf8(rows[r][0]), QString::fromUtf8(rows[r][1])), r,
            0);
        form->addWidget(m_grid->box(findCell(rows[r][2])), r, 1);
    }
    form->setColumnStretch(2, 1);
    layout->addWidget(m_groupLadeni);
    layout->addStretch(1);
    return page;
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
