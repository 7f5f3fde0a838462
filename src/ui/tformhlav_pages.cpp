// Building the window's seven pages: the ignition curve, the three injection maps, the other
// settings, the servo and the tuning.
#include "tformhlav.h"

#include "controls.h"
#include "form_parts.h"
#include "up_down.h"

#include "model/parameter_set.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QTabWidget>

#include <string>
#include <tuple>

namespace velmora::ui {

using namespace form;

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
        ArrowButtons *spin = spinButton(map, QStringLiteral("CSpinButton%1%2")
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
            grid->addWidget(m_grid->box(spec.mapCell + 10 * r + c), r + 1, c + 1, Qt::AlignCenter);
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
    QPushButton *tps100 = button(tps, QStringLiteral("BitBtnTps100"), QStringLiteral("TPS 100 %"));
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
    m_servoAll = checkBox(m_groupPrivera, QStringLiteral("CheckBoxPrivAll"), QStringLiteral("All"));
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

} // namespace velmora::ui
