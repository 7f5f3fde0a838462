#include "window_fixture.h"

#include "model/grid_steps.h"
#include "ui/arrow_buttons.h"

#include <QAction>
#include <QPushButton>
#include <QTabWidget>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

namespace {

class MapOperationsWindowTest : public WindowTest {
protected:
    QTabWidget *pages() const { return find<QTabWidget>(QStringLiteral("PageControl1")); }
    void trigger(const char *name) { find<QAction>(QString::fromUtf8(name))->trigger(); }
    void click(const char *name) { find<QPushButton>(QString::fromUtf8(name))->click(); }
    void tick(const char *box) { find<QCheckBox>(QString::fromUtf8(box))->setChecked(true); }
};

} // namespace

TEST_F(MapOperationsWindowTest, ToolsFollowThePageOnShow)
{
    open();
    tick("CheckBoxJetTpsAll");
    tick("CheckBoxJetTpsAlli");
    tick("CheckBoxIgnAll");
    const DeviceImage before = window->image();
    for (int page : {4, 6}) {
        pages()->setCurrentIndex(page);
        trigger("MenuToolsMinus");
        trigger("MenuToolsPlus");
    }
    EXPECT_EQ(window->image(), before);

    window->image()[kTpsMode] = kTpMode23To14; // the TP14 page is empty, F5 still works on it
    window->showStep();
    pages()->setCurrentIndex(1);
    trigger("MenuToolsPlus");
    EXPECT_EQ(at(kJetTp + 55), 101);
    EXPECT_EQ(at(kJetTpi + 55), 100);

    ASSERT_TRUE(setTpMode(window->image(), kTpModeConnected));
    window->showStep();
    pages()->setCurrentIndex(2); // coupled: the TP23 page's own buttons are hidden, F4 is not
    trigger("MenuToolsMinus");
    EXPECT_EQ(at(kJetTpi + 55), 99);
    EXPECT_EQ(at(kJetTp + 55), 101);

    pages()->setCurrentIndex(0);
    trigger("MenuToolsPlus");
    EXPECT_EQ(at(kAdvance), 8);
}

TEST_F(MapOperationsWindowTest, TypedValueIsTakenOverBeforeTheStep)
{
    openShown();
    pages()->setCurrentIndex(1);
    tick("CheckBoxJetTpsAll");
    window->image()[kTpsMode] = kTpModeNormal;
    window->showStep();
    type("Edit50", QStringLiteral("120"));
    click("BitBtnJetTpsPlus");
    EXPECT_EQ(at(kJetTp), 121);
    EXPECT_EQ(edit("Edit50")->text(), "121");
    EXPECT_EQ(edit("Edit149")->text(), "101");
}

TEST_F(MapOperationsWindowTest, SpinButtonShiftsItsColumn)
{
    open();
    window->image()[kTpsMode] = kTpModeNormal;
    window->showStep();
    find<ui::ArrowButtons>(QStringLiteral("CSpinButton3"))->press(+1);
    find<ui::ArrowButtons>(QStringLiteral("CSpinButton14"))->press(-1);
    find<ui::ArrowButtons>(QStringLiteral("CSpinButton10i"))->press(+1);
    for (int row = 0; row < 10; ++row) {
        EXPECT_EQ(at(kJetTp + 10 * row + 2), 101);
        EXPECT_EQ(at(kJetTp + 10 * row + 3), 100);
        EXPECT_EQ(at(kJetIap + 10 * row + 3), 99);
        EXPECT_EQ(at(kJetTpi + 10 * row + 9), 101);
    }
    EXPECT_EQ(edit("Edit52")->text(), "101");
}

TEST_F(MapOperationsWindowTest, ThrottleCaptureFromTheLiveVoltage)
{
    open({QStringLiteral("ENGLISH")});
    window->link().live().throttleMv = 2500;
    click("BitBtnTps0");
    click("BitBtnTps100");
    EXPECT_EQ(at(kTpsClosed), 250);
    EXPECT_EQ(at(kTpsOpen), 0);
    EXPECT_EQ(edit("EditTps0")->text(), "2,500");
    window->link().live().throttleMv = 4610;
    click("BitBtnTps100");
    EXPECT_EQ(at(kTpsOpen), 0);
    window->link().live().throttleMv = 4600;
    click("BitBtnTps100");
    EXPECT_EQ(at(kTpsOpen), 210);
}

TEST_F(MapOperationsWindowTest, ConnectedModeIsRefusedWhileTheAxesDiffer)
{
    open({QStringLiteral("DEUTSCH")});
    trigger("MenuTpNormal");
    EXPECT_EQ(at(kTpsMode), 0);
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuTpNormal"))->isChecked());
    window->image()[kRpmJetTpi + 4] = 61;
    window->showStep();
    trigger("MenuTpConnected");
    EXPECT_EQ(dialogs.messages.last(), "Uneinig Rpm TP14 und TP23!");
    EXPECT_EQ(at(kTpsMode), 0);
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuTpNormal"))->isChecked());
    EXPECT_FALSE(find<QAction>(QStringLiteral("MenuTpConnected"))->isChecked());

    window->image()[kRpmJetTpi + 4] = 60;
    trigger("MenuTpConnected");
    EXPECT_EQ(at(kTpsMode), 1);
    EXPECT_EQ(pages()->tabText(2), "TP Karte 23 (g.)");
    trigger("MenuTP14");
    EXPECT_EQ(pages()->tabText(2), "    ");
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuTP14"))->isChecked());
    trigger("MenuTP23");
    EXPECT_EQ(pages()->tabText(1), "    ");
    EXPECT_EQ(pages()->tabText(2), "TP Karte 23");
}

TEST_F(MapOperationsWindowTest, StoppedEngineStepsNothingButStillShows)
{
    open();
    const DeviceImage before = window->image();
    window->showStep();
    edit("Edit60")->setText(QStringLiteral("77")); // shown but not taken over yet
    click("BitBtnJetIapPlus");
    EXPECT_EQ(at(kJetTp + 10), 77); // the take-over ran
    click("BitBtnIgnPlus");
    EXPECT_EQ(at(kAdvance), before[kAdvance]);
    click("BitBtnServoMinus");
    EXPECT_EQ(at(kNapPriv), before[kNapPriv] > 1 ? before[kNapPriv] - 1 : 1);
}
