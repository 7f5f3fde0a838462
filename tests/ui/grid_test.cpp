#include "window_fixture.h"

#include "model/parameter_set.h"

#include <QGroupBox>
#include <QTabWidget>

#include <random>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

TEST_F(WindowTest, TypedSpeedIsCutToItsUnitOnEnter)
{
    openShown();
    type("Edit1", QStringLiteral("1234"));
    QTest::keyClick(edit("Edit1"), Qt::Key_Return);
    EXPECT_EQ(at(kRpmAdv), 12);
    EXPECT_EQ(edit("Edit1")->text(), "1200");
    EXPECT_NE(QApplication::focusWidget(), edit("Edit1")); // Enter moved the focus on
}

TEST_F(WindowTest, OutOfRangeOrGarbageTextKeepsTheOldValue)
{
    openShown();
    type("EditOmez2", QStringLiteral("30000"));
    EXPECT_EQ(edit("EditOmez2")->text(), "30000"); // nothing swallowed a digit
    edit("Edit46")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(at(kLimiter2), 140);
    EXPECT_EQ(edit("EditOmez2")->text(), "14,000");

    type("Edit11", QStringLiteral("1x"));
    QTest::keyClick(edit("Edit11"), Qt::Key_Return);
    EXPECT_EQ(at(kAdvance), 7);
    EXPECT_EQ(edit("Edit11")->text(), "7");

    type("EditOmez2", QStringLiteral("12,500"));
    QTest::keyClick(edit("EditOmez2"), Qt::Key_Return);
    EXPECT_EQ(at(kLimiter2), 125);
}

TEST_F(WindowTest, ClickCellsTakeOverOnlyOnTheNextEvent)
{
    openShown();
    type("EditStartJet", QStringLiteral("20"));
    QTest::keyClick(edit("EditStartJet"), Qt::Key_Tab);
    EXPECT_EQ(at(kStartJet), 10);
    EXPECT_EQ(edit("EditStartJet")->text(), "20");

    // A click into another cell of the page runs the steps.
    QTest::mouseClick(edit("EditChlazeni"), Qt::LeftButton);
    EXPECT_EQ(at(kStartJet), 20);

    type("EditStartJet", QStringLiteral("25"));
    QTest::keyClick(edit("EditStartJet"), Qt::Key_Enter);
    EXPECT_EQ(at(kStartJet), 25);

    // The consistency pass corrects what the cell lets through, and the cell shows it.
    type("EditSyticCas2", QStringLiteral("3"));
    QTest::keyClick(edit("EditSyticCas2"), Qt::Key_Return);
    EXPECT_EQ(at(kChokeTimes + 1), 6);
    EXPECT_EQ(edit("EditSyticCas2")->text(), "6");
}

TEST_F(WindowTest, PulseCellsRunNothingOfTheirOwn)
{
    openShown();
    upDown("UpDownRpmPulsu")->press(+1);
    EXPECT_EQ(edit("EditRpmPulsu")->text(), "3");
    EXPECT_EQ(at(kRpmPulses), 2);
    type("EditRpmKorekce", QStringLiteral("-20"));
    QTest::keyClick(edit("EditRpmKorekce"), Qt::Key_Return);
    EXPECT_EQ(at(kRpmCorrection), 100);

    upDown("UpDown11")->press(+1); // any other event takes everything over
    EXPECT_EQ(at(kRpmPulses), 3);
    EXPECT_EQ(at(kRpmCorrection), 80);
    EXPECT_EQ(at(kAdvance), 8);
    EXPECT_EQ(edit("Edit11")->text(), "8");
}

TEST_F(WindowTest, UpDownStepsWithinItsRange)
{
    openShown();
    for (int i = 0; i < 60; ++i)
        upDown("UpDownStartJet")->press(+1);
    EXPECT_EQ(at(kStartJet), 50);
    upDown("UpDownTps100")->press(-1);
    EXPECT_EQ(at(kTpsOpen), 191);
    EXPECT_EQ(edit("EditTps100")->text(), "4,410");
}

TEST_F(WindowTest, ConnectedModeCarriesChangesIntoTp23Cells)
{
    openShown();
    ASSERT_EQ(at(kTpsMode), 1);
    window->image()[kJetTp + 23] = 100;
    window->image()[kJetTpi + 23] = 120;
    window->showStep();

    type("Edit73", QStringLiteral("105"));
    QTest::keyClick(edit("Edit73"), Qt::Key_Return);
    EXPECT_EQ(at(kJetTpi + 23), 125);
    EXPECT_EQ(edit("Edit73i")->text(), "125");

    window->image()[kJetTp + 23] = 100;
    window->image()[kJetTpi + 23] = 120;
    window->showStep();
    type("Edit73", QStringLiteral("250"));
    QTest::keyClick(edit("Edit73"), Qt::Key_Return);
    EXPECT_EQ(at(kJetTpi + 23), 250);

    type("EditRpmTps4", QStringLiteral("4500"));
    QTest::keyClick(edit("EditRpmTps4"), Qt::Key_Return);
    EXPECT_EQ(edit("EditRpmTps4i")->text(), "4500");
    EXPECT_EQ(at(kRpmJetTpi + 3), 45);
}

TEST_F(WindowTest, TpModeDisplayHidesTheTp23Editors)
{
    open();
    auto *pages = find<QTabWidget>(QStringLiteral("PageControl1"));
    window->showStep();
    EXPECT_FALSE(find<QGroupBox>(QStringLiteral("GroupBoxTpsi"))->isEnabled());
    EXPECT_TRUE(upDown("UpDown50i")->isHidden());
    EXPECT_TRUE(upDown("UpDownRpmTps1i")->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("CSpinButton7i"))->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("CheckBoxJetTpsAlli"))->isHidden());
    EXPECT_FALSE(edit("Edit50i")->isHidden());
    EXPECT_EQ(pages->tabText(2), "TP mapa 23 (s.)");
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuTpConnected"))->isChecked());

    window->image()[kTpsMode] = 2;
    window->showStep();
    EXPECT_TRUE(find<QGroupBox>(QStringLiteral("GroupBoxTpsi"))->isHidden());
    EXPECT_FALSE(upDown("UpDown50i")->isHidden());
    EXPECT_EQ(pages->tabText(2), "   ");
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuTP14"))->isChecked());
    EXPECT_FALSE(find<QAction>(QStringLiteral("MenuTpConnected"))->isChecked());

    window->image()[kTpsMode] = 3;
    window->showStep();
    EXPECT_TRUE(find<QGroupBox>(QStringLiteral("GroupBoxTps"))->isHidden());
    EXPECT_FALSE(find<QGroupBox>(QStringLiteral("GroupBoxTpsi"))->isHidden());
    EXPECT_TRUE(find<QGroupBox>(QStringLiteral("GroupBoxTpsi"))->isEnabled());
    EXPECT_EQ(pages->tabText(1), "    ");
}

TEST_F(WindowTest, ServoControlsFollowTheModelAndTheirBox)
{
    openShown();
    auto *enable = find<QCheckBox>(QStringLiteral("CheckBoxPrivEnable"));
    auto *group = find<QGroupBox>(QStringLiteral("GroupBoxPrivera"));
    EXPECT_EQ(at(kPrivEnable), 1);
    EXPECT_TRUE(enable->isHidden());
    EXPECT_TRUE(group->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("LabelPriveraPoz"))->isHidden());

    window->image()[kBike] = 1;
    window->showStep();
    EXPECT_FALSE(enable->isHidden());
    EXPECT_FALSE(group->isHidden());
    EXPECT_FALSE(find<QWidget>(QStringLiteral("LabelPriveraMer"))->isHidden());

    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(5);
    clickBox("CheckBoxPrivEnable");
    EXPECT_EQ(at(kPrivEnable), 0);
    EXPECT_TRUE(group->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("LabelPriveraPoz"))->isHidden());
}

TEST_F(WindowTest, TuningSwitchFollowsTheUnlockBox)
{
    openShown();
    auto *on = find<QCheckBox>(QStringLiteral("CheckBoxLadeniOn"));
    EXPECT_TRUE(on->isHidden());
    EXPECT_TRUE(find<QWidget>(QStringLiteral("GroupBoxLadeni"))->isHidden());

    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(6);
    clickBox("CheckBoxLadeniPovoleno");
    EXPECT_FALSE(on->isHidden());
    EXPECT_FALSE(find<QWidget>(QStringLiteral("GroupBoxLadeni"))->isHidden());
    clickBox("CheckBoxLadeniOn");
    EXPECT_TRUE(on->isChecked());
    EXPECT_EQ(on->palette().color(QPalette::Window), QColor(Qt::red));

    clickBox("CheckBoxLadeniPovoleno");
    EXPECT_FALSE(on->isChecked());
    EXPECT_TRUE(on->isHidden());
}

TEST_F(WindowTest, CheckBoxesRunTheStepsOnMouseUpOnly)
{
    openShown();
    auto *blok = find<QCheckBox>(QStringLiteral("CheckBoxBlokEnable"));
    blok->setFocus();
    QTest::keyClick(blok, Qt::Key_Space);
    EXPECT_FALSE(blok->isChecked());
    EXPECT_EQ(at(kBlokEnable), 1); // the space bar ran nothing

    clickBox("CheckBoxProgHned");
    EXPECT_EQ(at(kBlokEnable), 0); // the mouse-up took every control over
    EXPECT_EQ(find<QWidget>(QStringLiteral("CheckBoxProgHned"))->palette().color(QPalette::Window),
              QColor(Qt::red));

    auto *ext = find<QCheckBox>(QStringLiteral("CheckBoxExtMonitor"));
    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(4);
    EXPECT_TRUE(find<QWidget>(QStringLiteral("LabelPocetProgramovani"))->isHidden());
    clickBox("CheckBoxExtMonitor");
    EXPECT_TRUE(ext->isChecked());
    EXPECT_FALSE(find<QWidget>(QStringLiteral("LabelPocetProgramovani"))->isHidden());
}

TEST_F(WindowTest, DigitGroupingOnlyOnTheNineSingleValues)
{
    open();
    window->image()[kLimiter2] = 150;
    window->image()[kRpmAdv + 9] = 160;
    window->showStep();
    EXPECT_EQ(edit("EditOmez2")->text(), "15,000");
    EXPECT_EQ(edit("Edit10")->text(), "16000");
    EXPECT_EQ(edit("EditLadeniCas")->text(), "1,000");
    EXPECT_EQ(edit("EditPrivHyster")->text(), "200");
    EXPECT_EQ(edit("EditAkcelJet")->text(), "2,520");
}

// Every cell, shown and taken over again, leaves a consistent in-range image as it was; fields
// the pass leaves alone are held within the cell's range at the show step.
TEST_F(WindowTest, EveryCellRoundTripsThroughTheWidgets)
{
    open();
    std::mt19937 rng(973);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 20; ++round) {
        DeviceImage &image = window->image();
        for (std::size_t i = kParameterStart; i < kImageSize; ++i)
            image[i] = static_cast<std::uint8_t>(byte(rng));
        image[kBike] = static_cast<std::uint8_t>(round % 5);
        image[kAdvanceLimit] = 100;
        for (const CellDef &c : cellTable())
            setShownValue(image, c.field,
                          std::clamp(shownValue(image, c.field, c.point), c.min, c.max), c.point);
        image[kBlokEnable] &= 1;
        image[kPrivEnable] &= 1;
        consistencyPass(image);
        const DeviceImage before = image;
        window->showStep();
        window->takeOverStep();
        ASSERT_EQ(window->image(), before) << "round " << round;
    }

    window->image()[kCooling] = 200;
    window->image()[kNapPriv] = 0;
    window->showStep();
    EXPECT_EQ(edit("EditChlazeni")->text(), "100");
    EXPECT_EQ(edit("EditNapPriv1")->text(), "20");
    window->takeOverStep();
    EXPECT_EQ(at(kCooling), 100);
    EXPECT_EQ(at(kNapPriv), 1);
}

TEST_F(WindowTest, PointerTablesReachTheCellsByIndex)
{
    open();
    const auto &edits = window->grid().editTable();
    const auto &ups = window->grid().upDownTable();
    EXPECT_EQ(edits[0]->objectName(), "LabelTps1");
    EXPECT_EQ(edits[30]->objectName(), "Edit1");
    EXPECT_EQ(edits[180 + 10 * 4 + 7]->objectName(), "Edit97i");
    EXPECT_EQ(edits[409]->objectName(), "EditVzduch110");
    EXPECT_EQ(ups[150 + 10 * 4 + 7]->objectName(), "UpDown97i");
    EXPECT_EQ(ups[369]->objectName(), "UpDownNapPriv10");
    for (std::size_t n = 0; n < kUpDownTableSize; ++n)
        ASSERT_EQ(ups[n]->buddy(), edits[n + 30]) << n;
}
