#include "window_fixture.h"

#include "app/command_line.h"
#include "model/parameter_set.h"
#include "ui/gauge.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

TEST_F(WindowTest, EveryNamedControlExists)
{
    open();
    EXPECT_EQ(window->objectName(), "FormHlav");
    for (const CellDef &c : cellTable()) {
        find<ui::CellEdit>(QString::fromStdString(c.edit));
        find<ui::UpDown>(QString::fromStdString(c.upDown));
    }
    const char *widgets[] = {"GroupBoxToolBar",
                             "SpeedButton6",
                             "SpeedButton5",
                             "SpeedButton7",
                             "SpeedButtonPrint",
                             "Button1",
                             "BitBtn2",
                             "BitBtn1",
                             "LabelSpojeni",
                             "PageControl1",
                             "TabSheet_Ign",
                             "TabSheet_Tp14",
                             "TabSheet_Tp23",
                             "TabSheet_Iap",
                             "TabSheet5",
                             "TabSheet_Servo",
                             "TabSheetLadeni",
                             "LabelHlaseni",
                             "CGaugeProgram",
                             "CheckBoxLadeniOn",
                             "ImageLogo",
                             "LabelBlocking",
                             "LabelPriveraPoz",
                             "LabelPriveraMer",
                             "LabelEeDataErr",
                             "LabelVersion",
                             "LabelRpm",
                             "CGaugeRpm",
                             "LabelTpsMon",
                             "CGaugeTps",
                             "LabelLambda",
                             "CGaugeLambda",
                             "LabelBarGraf1",
                             "LabelBarGraf2",
                             "LabelBarGraf3",
                             "LabelVoda",
                             "CGaugeVoda",
                             "LabelVzduch",
                             "LabelPodtlak",
                             "LabelTlak",
                             "LabelNapeti",
                             "LabelAdvance",
                             "LabelSnimacCkps",
                             "LabelSnimacCmps",
                             "LabelCasJet14",
                             "LabelCasJet23",
                             "LabelMaxInjProcent",
                             "CGaugeDuty",
                             "StatusBar1",
                             "ComboBoxBike",
                             "CheckBoxProgHned",
                             "CheckBoxBlokEnable",
                             "LabelVerze1",
                             "LabelVerze2",
                             "LabelVerze3",
                             "LabelFile1",
                             "LabelFile2",
                             "GroupBox1",
                             "GroupBox3",
                             "GroupBoxRpm",
                             "GroupBoxTps",
                             "GroupBoxTpsi",
                             "GroupBox4",
                             "GroupBoxKlapkaSani",
                             "GroupBoxVodaVzduch",
                             "GroupBoxSytic",
                             "GroupBoxSetTps",
                             "GroupBoxStartJet",
                             "GroupBoxAkcel",
                             "GroupBoxChlazeni",
                             "GroupBoxPrivera",
                             "GroupBoxLadeni",
                             "CheckBoxExtMonitor",
                             "CheckBoxPrivEnable",
                             "CheckBoxLadeniPovoleno",
                             "CheckBoxIgnAll",
                             "CheckBoxJetTpsAll",
                             "CheckBoxJetTpsAlli",
                             "CheckBoxJetIapAll",
                             "CheckBoxPrivAll",
                             "BitBtnIgnMinus",
                             "BitBtnIgnPlus",
                             "BitBtnServoMinus",
                             "BitBtnServoPlus",
                             "BitBtnJetTpsMinus",
                             "BitBtnJetTpsPlus",
                             "BitBtnJetTpsMinusi",
                             "BitBtnJetTpsPlusi",
                             "BitBtnJetIapMinus",
                             "BitBtnJetIapPlus",
                             "BitBtnTps0",
                             "BitBtnTps100",
                             "LabelKorVoda",
                             "LabelKorVzduch",
                             "LabelKorTlak",
                             "LabelKorSytic",
                             "LabelKorNapeti",
                             "LabelPocetProgramovani",
                             "Label1",
                             "Label2",
                             "Label10",
                             "LabelOmez2",
                             "LabelAkcelPrah",
                             "LabelAkcelJet",
                             "LabelVoda2",
                             "LabelVzduch2",
                             "LabelSyticCas",
                             "LabelSyticKorekce",
                             "LabelPrivHyster",
                             "LabelLadeni",
                             "LabelLadeniLambda",
                             "LabelLadeniHyster",
                             "LabelLadeniRpm",
                             "LabelLadeniTps",
                             "LabelLadeniCas",
                             "MainMenu1"};
    for (const char *name : widgets)
        find<QWidget>(QString::fromUtf8(name));
    for (int n = 1; n <= 8; ++n)
        find<QLabel>(QStringLiteral("LabelTest%1").arg(n));
    for (int n = 1; n <= 10; ++n) {
        find<QWidget>(QStringLiteral("CSpinButton%1").arg(n));
        find<QWidget>(QStringLiteral("CSpinButton%1i").arg(n));
        find<QWidget>(QStringLiteral("CSpinButton%1").arg(n + 10));
    }
    for (const RowLabel &row : rowLabels())
        EXPECT_EQ(find<QLabel>(QString::fromStdString(row.name))->text().toStdString(),
                  row.caption);
    find<QTimer>(QStringLiteral("Timer1"));

    auto *pages = find<QTabWidget>(QStringLiteral("PageControl1"));
    const char *pageOrder[] = {"TabSheet_Ign", "TabSheet_Tp14",  "TabSheet_Tp23", "TabSheet_Iap",
                               "TabSheet5",    "TabSheet_Servo", "TabSheetLadeni"};
    ASSERT_EQ(pages->count(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(pages->widget(i)->objectName(), pageOrder[i]);
}

TEST_F(WindowTest, MenusCarryTheirCaptionsAndShortcuts)
{
    open({QStringLiteral("ENGLISH")});
    struct Expected {
        const char *name;
        const char *caption;
        QKeySequence shortcut;
    };
    const Expected items[] = {
        {"MenuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"MenuOpen", "&Open", QKeySequence(Qt::Key_F3)},
        {"MenuSave", "&Save", QKeySequence(Qt::Key_F2)},
        {"MenuPrint", "&Print", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"MenuExit", "E&xit", QKeySequence()},
        {"MenuCom1", "Com &1", QKeySequence()},
        {"MenuCom10", "Com 1&0", QKeySequence()},
        {"MenuRead", "&Read", QKeySequence(Qt::Key_F7)},
        {"MenuVerify", "&Verify", QKeySequence(Qt::Key_F8)},
        {"MenuProgram", "&Program", QKeySequence(Qt::Key_F9)},
        {"MenuTpNormal", "Separate", QKeySequence()},
        {"MenuTpConnected", "Coupled", QKeySequence()},
        {"MenuTP14", "TP14->TP23", QKeySequence()},
        {"MenuTP23", "TP23->TP14", QKeySequence()},
        {"MenuToolsMinus", "Minus ", QKeySequence(Qt::Key_F4)},
        {"MenuToolsPlus", "Plus", QKeySequence(Qt::Key_F5)},
        {"MenuEnglish", "English", QKeySequence()},
        {"MenuCzech", "&Czech", QKeySequence()},
        {"MenuGerman", "&German", QKeySequence()},
        {"MenuContens", "&Contents...", QKeySequence(Qt::Key_F1)},
        {"MenuAbout", "&About...", QKeySequence()},
    };
    for (const Expected &e : items) {
        auto *action = find<QAction>(QString::fromUtf8(e.name));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(e.caption)) << e.name;
        EXPECT_EQ(action->shortcut(), e.shortcut) << e.name;
    }
    const char *menus[][2] = {{"MenuFile", "&File"},     {"MenuCom", "&Com"},
                              {"MenuDevice", "&Device"}, {"MenuTPmode", "TP map mode"},
                              {"MenuTools", "Tools"},    {"MenuLanguage", "&Language"},
                              {"MenuHelp", "&Help"}};
    for (const auto &m : menus)
        EXPECT_EQ(find<QMenu>(QString::fromUtf8(m[0]))->title(), QString::fromUtf8(m[1]));

    // Separators stand between the items of the File menu.
    const QList<QAction *> file = find<QMenu>(QStringLiteral("MenuFile"))->actions();
    ASSERT_EQ(file.size(), 9);
    for (int i = 1; i < 9; i += 2)
        EXPECT_TRUE(file[i]->isSeparator());

    // Hints: short part as tooltip, long part in the status bar.
    auto *open = find<QWidget>(QStringLiteral("SpeedButton5"));
    EXPECT_EQ(open->toolTip(), "Open file with parametrs");
    EXPECT_EQ(open->statusTip(), "Open file with parametrs");
    auto *rpm = find<QWidget>(QStringLiteral("Label1"));
    EXPECT_EQ(rpm->toolTip(), "Round per Minute");
    EXPECT_EQ(rpm->statusTip(), "Speed - Round per Minute");
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuExit"))->statusTip(), "End of program");

    // Items whose commands do not exist yet cannot be chosen.
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuNew"))->isEnabled());
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuExit"))->isEnabled());
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuProgram"))->isEnabled());
    for (const char *name : {"MenuPrint", "MenuAbout", "MenuContens", "MenuGerman"})
        EXPECT_TRUE(find<QAction>(QString::fromUtf8(name))->isEnabled()) << name;
}

TEST_F(WindowTest, StartsWithModelZeroDefaultsCentred)
{
    open();
    DeviceImage expected;
    applyDefaults(expected);
    consistencyPass(expected);
    EXPECT_EQ(window->image(), expected);
    EXPECT_EQ(window->language(), 0);
    EXPECT_EQ(window->held().comPort, 1);
    EXPECT_EQ(window->size(), QSize(973, 825));
    // Centred, but with the title bar kept on a screen smaller than the window.
    const QRect screen = window->screen()->geometry();
    const QRect usable = window->screen()->availableGeometry();
    EXPECT_EQ(window->pos(),
              QPoint(std::max(usable.left(), screen.left() + (screen.width() - 973) / 2),
                     std::max(usable.top(), screen.top() + (screen.height() - 825) / 2)));
    EXPECT_GE(window->y(), usable.top());
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("Programování jednotky Velmora 05"));
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuCzech"))->isChecked());
    EXPECT_FALSE(find<QAction>(QStringLiteral("MenuEnglish"))->isChecked());

    EXPECT_EQ(edit("Edit1")->text(), "1000");
    EXPECT_EQ(edit("EditOmez2")->text(), "14,000");
    EXPECT_EQ(find<QComboBox>(QStringLiteral("ComboBoxBike"))->currentIndex(), 0);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("ComboBoxBike"))->itemText(0),
              "Honda CBR 600 F               01-02");

    for (const char *hidden : {"LabelHlaseni", "CGaugeProgram", "LabelEeDataErr", "LabelVersion",
                               "LabelSpojeni", "LabelTest1", "LabelTest8"})
        EXPECT_TRUE(find<QWidget>(QString::fromUtf8(hidden))->isHidden()) << hidden;
}

TEST_F(WindowTest, FirstArgumentChoosesTheLanguageExactly)
{
    const std::pair<const char *, int> cases[] = {{"DEUTSCH", 2}, {"ENGLISH", 1}, {"CESKY", 0},
                                                  {"deutsch", 0}, {"English", 0}, {"--x", 0}};
    for (const auto &[argument, language] : cases) {
        open({QString::fromUtf8(argument)});
        EXPECT_EQ(window->language(), language) << argument;
    }
    // Only the first word counts.
    open({QStringLiteral("other"), QStringLiteral("ENGLISH")});
    EXPECT_EQ(window->language(), 0);
    open({QStringLiteral("DEUTSCH")});
    EXPECT_EQ(window->findChild<QTabWidget *>(QStringLiteral("PageControl1"))->tabText(1),
              "TP Karte 14");
}

TEST(CommandLine, OwnOptionsAreTakenOutAndUnknownOnesKept)
{
    const app::CommandLine cl = app::parseCommandLine(
        {QStringLiteral("velmora"), QStringLiteral("--bogus"), QStringLiteral("ENGLISH")});
    EXPECT_FALSE(cl.help);
    EXPECT_EQ(cl.arguments, (QStringList{QStringLiteral("--bogus"), QStringLiteral("ENGLISH")}));

    const app::CommandLine help = app::parseCommandLine(
        {QStringLiteral("velmora"), QStringLiteral("--help"), QStringLiteral("DEUTSCH")});
    EXPECT_TRUE(help.help);
    EXPECT_EQ(help.arguments, QStringList{QStringLiteral("DEUTSCH")});
    EXPECT_TRUE(
        app::parseCommandLine({QStringLiteral("velmora"), QStringLiteral("--version")}).version);
}

TEST_F(WindowTest, LanguageWordIsTheFirstWordLeftByTheProgramsOwnOptions)
{
    const std::pair<QStringList, int> cases[] = {
        // An unknown option is a word like any other, and it comes first.
        {{QStringLiteral("--bogus"), QStringLiteral("ENGLISH")}, 0},
        {{QStringLiteral("--demo"), QStringLiteral("ENGLISH")}, 1},
        {{QStringLiteral("--demo"), QStringLiteral("-h"), QStringLiteral("DEUTSCH")}, 2},
        {{QStringLiteral("DEUTSCH"), QStringLiteral("--demo")}, 2},
        {{QStringLiteral("--demo"), QStringLiteral("--bogus"), QStringLiteral("DEUTSCH")}, 0},
    };
    for (const auto &[words, language] : cases) {
        const app::CommandLine cl =
            app::parseCommandLine(QStringList{QStringLiteral("velmora")} + words);
        open(cl.arguments);
        EXPECT_EQ(window->language(), language) << words.join(QLatin1Char(' ')).toStdString();
    }
    const app::CommandLine demo = app::parseCommandLine(
        {QStringLiteral("velmora"), QStringLiteral("--demo"), QStringLiteral("ENGLISH")});
    EXPECT_TRUE(demo.demo);
    EXPECT_EQ(demo.arguments, QStringList{QStringLiteral("ENGLISH")});
    open(demo.arguments);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Programming of Velmora 05 unit"));
}

TEST_F(WindowTest, MonitorColumnBeforeAnyReply)
{
    open();
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelRpm"))->text(), "RPM = ---");
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelTpsMon"))->text(), "TP= --- [%]");
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelLambda"))->text(), "LAMBDA= --- [mV]");
    const std::pair<const char *, QColor> gauges[] = {{"CGaugeRpm", QColor(0xff, 0x00, 0xff)},
                                                      {"CGaugeLambda", Qt::black},
                                                      {"CGaugeVoda", QColor(0x00, 0xff, 0xff)},
                                                      {"CGaugeDuty", QColor(0x00, 0xff, 0xff)},
                                                      {"CGaugeTps", QColor()}};
    for (const auto &[name, fore] : gauges) {
        auto *g = find<ui::Gauge>(QString::fromUtf8(name));
        EXPECT_EQ(g->minimum(), 0);
        EXPECT_EQ(g->maximum(), 100);
        EXPECT_EQ(g->progress(), 0);
        EXPECT_EQ(g->backColor(), QColor(Qt::white));
        if (fore.isValid()) {
            EXPECT_EQ(g->foreColor(), fore) << name;
        }
    }
    EXPECT_EQ(find<ui::Gauge>(QStringLiteral("CGaugeProgram"))->maximum(), 5);
    const std::pair<const char *, QColor> bars[] = {{"LabelBarGraf1", Qt::blue},
                                                    {"LabelBarGraf2", QColor(0, 255, 0)},
                                                    {"LabelBarGraf3", Qt::red}};
    for (const auto &[name, colour] : bars) {
        auto *bar = find<QLabel>(QString::fromUtf8(name));
        EXPECT_EQ(bar->palette().color(QPalette::Window), colour) << name;
        EXPECT_EQ(bar->width(), find<QLabel>(QStringLiteral("LabelBarGraf1"))->width());
    }
    auto *spojeni = find<QLabel>(QStringLiteral("LabelSpojeni"));
    EXPECT_EQ(spojeni->text(), "No Connection");
    EXPECT_EQ(spojeni->palette().color(QPalette::Window), QColor(Qt::red));
}

TEST_F(WindowTest, TimerTicksEvery55msOnceShown)
{
    open();
    auto *timer = find<QTimer>(QStringLiteral("Timer1"));
    EXPECT_EQ(timer->interval(), 55);
    EXPECT_FALSE(timer->isActive());
    window->show();
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->tickCount() > 0; }, 3000));
}

TEST_F(WindowTest, NewAsksAndOnYesSetsDefaults)
{
    open();
    window->image()[kAdvance] = 3;
    window->image()[kJetTp + 5] = 200;
    find<QLabel>(QStringLiteral("LabelFile2"))->setText(QStringLiteral("/tmp/x.ign"));
    const DeviceImage before = window->image();

    dialogs.answers = {ui::Dialogs::Answer::No, ui::Dialogs::Answer::Cancel};
    window->MenuNewClick();
    window->MenuNewClick();
    EXPECT_EQ(window->image(), before);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelFile2"))->text(), "/tmp/x.ign");
    ASSERT_EQ(dialogs.questions.size(), 2);
    EXPECT_EQ(dialogs.questions[0], QString::fromUtf8("Chcete nastavit základní hodnoty?"));

    dialogs.answers = {ui::Dialogs::Answer::Yes};
    find<QAction>(QStringLiteral("MenuNew"))->trigger();
    EXPECT_EQ(at(kAdvance), 7);
    EXPECT_EQ(at(kJetTp + 5), 100);
    EXPECT_EQ(edit("Edit55")->text(), "100");
    EXPECT_TRUE(find<QLabel>(QStringLiteral("LabelFile2"))->text().isEmpty());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("LabelHlaseni"))->isHidden());

    // A model number the box does not list: New does nothing, not even ask.
    window->image()[kBike] = 5;
    window->MenuNewClick();
    EXPECT_EQ(dialogs.questions.size(), 3);
}

TEST_F(WindowTest, ChoosingAModelAndDecliningKeepsTheParameters)
{
    open({QStringLiteral("ENGLISH")});
    const DeviceImage before = window->image();
    dialogs.answers = {ui::Dialogs::Answer::No};
    auto *box = find<QComboBox>(QStringLiteral("ComboBoxBike"));
    box->setCurrentIndex(2);
    emit box->activated(2);
    ASSERT_EQ(dialogs.questions, QStringList{QStringLiteral("Do you want default setting?")});

    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (before[i] != at(i) && (i < kModelTable || i >= kModelTable + kCurvePoints))
            changed.push_back(i);
    EXPECT_EQ(changed, (std::vector<std::size_t>{kBike, kAdvanceLimit, kModelByte110}));
    EXPECT_EQ(at(kAdvanceLimit), 100);
    EXPECT_EQ(at(kModelTable + 6), 21);

    dialogs.answers = {ui::Dialogs::Answer::Yes};
    box->setCurrentIndex(3);
    emit box->activated(3);
    EXPECT_EQ(at(kBike), 3);
    EXPECT_EQ(at(kBlokEnable), 0);
    EXPECT_EQ(edit("Edit10")->text(), "12000");
    EXPECT_FALSE(find<QCheckBox>(QStringLiteral("CheckBoxBlokEnable"))->isChecked());
}

TEST_F(WindowTest, ShowStepDoesNotRunTheModelChange)
{
    open();
    window->image()[kBike] = 4;
    window->showStep();
    EXPECT_EQ(find<QComboBox>(QStringLiteral("ComboBoxBike"))->currentIndex(), 4);
    EXPECT_TRUE(dialogs.questions.isEmpty());
}

TEST_F(WindowTest, ModelAboveFourShowsNoItemAndIsKept)
{
    open();
    window->image()[kBike] = 9;
    window->showStep();
    EXPECT_EQ(find<QComboBox>(QStringLiteral("ComboBoxBike"))->currentIndex(), -1);
    window->takeOverStep();
    EXPECT_EQ(at(kBike), 9);
    window->MenuNewClick();
    EXPECT_TRUE(dialogs.questions.isEmpty());
}

TEST_F(WindowTest, ClosingTakesTheCellsOver)
{
    openShown();
    type("EditStartJet", QStringLiteral("33"));
    EXPECT_EQ(at(kStartJet), 10);
    window->close();
    EXPECT_EQ(at(kStartJet), 33);
}

TEST_F(WindowTest, ExitClosesTheWindow)
{
    openShown();
    find<QAction>(QStringLiteral("MenuExit"))->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowTest, ElevenCheckBoxesShareTheMouseUpHandler)
{
    open();
    QStringList names;
    for (auto *box : window->findChildren<ui::MouseUpCheckBox *>())
        names << box->objectName();
    names.sort();
    QStringList expected{"CheckBoxIgnAll",         "CheckBoxProgHned",   "CheckBoxBlokEnable",
                         "CheckBoxJetTpsAll",      "CheckBoxJetTpsAlli", "CheckBoxJetIapAll",
                         "CheckBoxExtMonitor",     "CheckBoxPrivAll",    "CheckBoxPrivEnable",
                         "CheckBoxLadeniPovoleno", "CheckBoxLadeniOn"};
    expected.sort();
    EXPECT_EQ(names, expected);
}
