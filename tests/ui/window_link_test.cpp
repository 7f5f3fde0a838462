// The window's own link driven tick by tick over a line in memory, against the simulated unit's
// responder: what the window shows and keeps around Read, Program and closing.
#include "window_unit_fixture.h"

#include "files/image_file.h"
#include "files/settings_file.h"
#include "files/window_settings.h"
#include "link/memory_port.h"
#include "model/parameter_set.h"
#include "sim/block_store.h"
#include "sim/identity_block.h"
#include "sim/responder.h"

#include <QAction>
#include <QComboBox>
#include <QTabWidget>
#include <QTimer>

using namespace velmora;
using namespace velmora::layout;
using velmora::link::TransferMode;

namespace {

class WindowLinkTest : public velmora::test::WindowUnitTest {
protected:
    QStringList identityLabels() const
    {
        return {text("LabelVerze1"), text("LabelVerze2"), text("LabelVerze3")};
    }
};

} // namespace

TEST_F(WindowLinkTest, ReadIntoAHiddenFocusedCellKeepsTheUnitsModel)
{
    // The unit runs model 2 on its TP23 map alone, so the Read hides the TP14 map, and with it
    // the cell that holds the keyboard focus, in the middle of the show step.
    unitHolds(2, 3);
    openShown({QStringLiteral("ENGLISH")});
    ASSERT_EQ(at(kBike), 0);
    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    edit("Edit50")->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(edit("Edit50")->hasFocus());
    connectUnit();

    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());

    EXPECT_EQ(text("LabelHlaseni"), "Verify OK");
    EXPECT_EQ(at(kBike), 2);
    EXPECT_EQ(at(kTpsMode), 3);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("ComboBoxBike"))->currentIndex(), 2);
    EXPECT_FALSE(find<QWidget>(QStringLiteral("GroupBoxTps"))->isVisible());
    const auto unitSet = unit.store().image().parameters();
    const auto shownSet = window->image().parameters();
    EXPECT_TRUE(std::equal(unitSet.begin(), unitSet.end(), shownSet.begin(), shownSet.end()));
}

TEST_F(WindowLinkTest, ReadWithProgrammingAfterChangeStartsNoProgramme)
{
    unitHolds(2, 3);
    openShown({QStringLiteral("ENGLISH")});
    clickBox("CheckBoxProgHned"); // programs the window's set once, at once
    connectUnit();
    ASSERT_TRUE(tickUntilIdle());
    const std::size_t programmed = unit.counters().perCommand[0x05];
    unitHolds(2, 3);
    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    edit("Edit50")->setFocus(Qt::TabFocusReason);

    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(text("LabelHlaseni"), "Verify OK");
    for (int t = 0; t < 10; ++t)
        window->Timer1Timer();

    EXPECT_EQ(unit.counters().perCommand[0x05], programmed); // nothing written back
    EXPECT_EQ(unit.store().image()[kBike], 2);
    EXPECT_EQ(at(kBike), 2);
}

TEST_F(WindowLinkTest, RefusedCoupledModeKeepsWhatWasTyped)
{
    openShown({QStringLiteral("ENGLISH")});
    window->image()[kTpsMode] = 0;
    window->image()[kRpmJetTpi + 3] += 5; // the two speed axes differ at one point
    window->showStep();
    ASSERT_NE(at(kRpmJetTp + 3), at(kRpmJetTpi + 3));
    const std::uint8_t before = at(kJetTp);
    type("Edit50", QStringLiteral("123")); // typed, not confirmed

    trigger("MenuTpConnected");

    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.last(), "Rpm on TP14 and TP23 are not the same !");
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuTpNormal"))->isChecked());
    EXPECT_FALSE(find<QAction>(QStringLiteral("MenuTpConnected"))->isChecked());
    EXPECT_EQ(at(kTpsMode), 0);
    EXPECT_EQ(edit("Edit50")->text(), "123");
    EXPECT_EQ(at(kJetTp), before);

    QTest::keyClick(edit("Edit50"), Qt::Key_Return); // the typed value still counts
    EXPECT_EQ(at(kJetTp), 123);
}

TEST_F(WindowLinkTest, IdentityLabelsShowOnlyWhatAUnitSentInThisRun)
{
    open({QStringLiteral("ENGLISH")});
    const QStringList empty{QString(), QString(), QString()};
    EXPECT_EQ(identityLabels(), empty);

    // An identity block left in the saved image says nothing about the unit on the line now.
    sim::IdentityBlock{}.writeTo(window->image());
    window->close();
    open({QStringLiteral("ENGLISH")});
    ASSERT_EQ(at(id::kCompatibilityMark), kCompatibilityMark);
    EXPECT_EQ(identityLabels(), empty);

    sim::IdentityBlock first;
    first.name = "ABC";
    first.version = 7;
    first.day = 5;
    first.month = 2;
    first.year = 2002;
    first.hour = 13;
    first.minute = 7;
    unitHolds(0, 0, first);
    connectUnit();
    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(identityLabels(), (QStringList{"ABC07", " 5. 2.2002", "13:07"}));

    // New changes the parameters, not what the unit said.
    dialogs.answers.push_back(ui::Dialogs::Answer::Yes);
    trigger("MenuNew");
    EXPECT_EQ(identityLabels(), (QStringList{"ABC07", " 5. 2.2002", "13:07"}));

    // The next identity block replaces them; a label stops at a zero byte.
    sim::IdentityBlock second = first;
    second.name = std::string("\0LM", 3);
    second.hour = 23;
    unit.store().setIdentity(second);
    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(text("LabelHlaseni"), "Program device: OK");
    EXPECT_EQ(identityLabels(), (QStringList{"", " 5. 2.2002", "23:07"}));
}

TEST_F(WindowLinkTest, ClosingDuringAReadLeavesTheUnitAndSavesAsUsual)
{
    DeviceImage unitImage = sim::BlockStore::defaultImage();
    unitImage[kAdvance + 2] = 40;
    unitImage[kJetTp + 5] = 170;
    unit.store().setImage(unitImage);
    open({QStringLiteral("ENGLISH")});
    const DeviceImage shown = window->image();
    ASSERT_NE(shown[kAdvance + 2], 40);
    connectUnit();

    trigger("MenuRead");
    for (int t = 0; t < 3; ++t)
        window->Timer1Timer(); // one block a tick: 0 to 2 are in
    ASSERT_EQ(window->link().transferMode(), TransferMode::Read);
    ASSERT_EQ(window->link().commandByte(), 0x43);
    window->close();

    const std::size_t sent = port.written.size();
    for (int t = 0; t < 30; ++t)
        window->Timer1Timer();
    EXPECT_EQ(port.written.size(), sent); // the line is closed
    for (std::uint8_t command : port.commands())
        EXPECT_TRUE(command == link::kMonitorCommand || (command & link::kStoredBit) != 0)
            << "a write went out: " << int(command);
    EXPECT_EQ(unit.store().image(), unitImage);

    // The image file holds what the window showed, taken over from the cells, with the unit's
    // identity block that had arrived.
    EXPECT_TRUE(std::filesystem::exists(settingsPath()));
    DeviceImage saved;
    ASSERT_EQ(files::loadImageFile(files::parameterImagePath(settingsPath()), saved),
              std::optional<std::size_t>(kImageSize));
    EXPECT_EQ(saved[kAdvance + 2], shown[kAdvance + 2]);
    EXPECT_EQ(saved[kJetTp + 5], shown[kJetTp + 5]);
    EXPECT_TRUE(
        std::equal(saved.block(0).begin(), saved.block(0).end(), unitImage.block(0).begin()));
}
