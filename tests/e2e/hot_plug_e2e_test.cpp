// Unplugging the cable and plugging a unit in again, through a real pseudo-terminal and the Qt
// serial port. The window's port is a link in a folder of the test's own that is pointed from one
// simulated unit to the next, the way the system's stable device names follow an adapter. Ticks
// are driven by hand; between them the test waits for the line, each wait with a deadline.
#include "../ui/window_fixture.h"

#include "sim/pty_unit.h"

#include <QTimer>

#include <chrono>
#include <filesystem>

using namespace velmora;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

const char *const kLost = "Connection to the unit lost: the port was closed";

class HotPlugTest : public velmora::test::WindowTest {
protected:
    void TearDown() override
    {
        WindowTest::TearDown();
        units.clear();
    }
    // A new unit holding `image`, and the device path pointed at it in one step.
    sim::PtyUnit &plugIn(const DeviceImage &image)
    {
        units.push_back(std::make_unique<sim::PtyUnit>(sim::BlockStore(image)));
        const fs::path next = devicePath().string() + ".new";
        fs::create_symlink(units.back()->slavePath(), next);
        fs::rename(next, devicePath());
        return *units.back();
    }
    fs::path devicePath() const { return fs::path(folder.path().toStdString()) / "velmora-unit"; }
    // One tick, after waiting for what the unit has to say to arrive or the line to go; false
    // when neither came in time.
    bool tickWhenAnswered(sim::PtyUnit &unit)
    {
        link::SerialPort *port = window->link().port();
        const bool came = QTest::qWaitFor(
            [&] {
                return !port || port->lost() || unit.hungUp() ||
                       port->bytesWaiting() >= link::kFrameSize;
            },
            1000);
        const auto start = std::chrono::steady_clock::now();
        window->Timer1Timer();
        longestTick = std::max(longestTick, std::chrono::steady_clock::now() - start);
        return came;
    }
    QString text(const char *label) const { return find<QLabel>(QString::fromUtf8(label))->text(); }
    bool noConnectionShown() const
    {
        return !find<QLabel>(QStringLiteral("LabelSpojeni"))->isHidden();
    }

    QTemporaryDir folder;
    std::vector<std::unique_ptr<sim::PtyUnit>> units;
    std::chrono::steady_clock::duration longestTick{};
};

} // namespace

TEST_F(HotPlugTest, UnplugMidReadFailsItAndTheNextUnitIsTakenUpWithoutAClick)
{
    DeviceImage theirs = sim::BlockStore::defaultImage();
    theirs[101] = 71; // block 1, reserved
    theirs[350] = 72; // block 3, a map cell
    sim::PtyUnit &first = plugIn(theirs);
    ports[1] = devicePath().string();
    openShown({QStringLiteral("ENGLISH")});
    find<QTimer>(QStringLiteral("Timer1"))->stop();
    ASSERT_TRUE(window->portOpen());
    const DeviceImage before = window->image();
    ASSERT_NE(before[101], 71);
    ASSERT_NE(before[350], 72);

    // The unit answers block 0, 1 and 2, then its end of the line goes away.
    sim::FaultPlan plan;
    plan.hangupAfter = 3;
    first.setFaultPlan(plan);
    window->MenuReadClick();
    for (int t = 0; t < 40 && window->link().transferMode() != link::TransferMode::Idle; ++t)
        ASSERT_TRUE(tickWhenAnswered(first)) << "tick " << t;

    EXPECT_TRUE(first.hungUp());
    ASSERT_EQ(window->link().transferMode(), link::TransferMode::Idle);
    EXPECT_EQ(text("LabelHlaseni"), kLost);
    EXPECT_FALSE(window->portOpen());
    EXPECT_TRUE(window->reopening());
    EXPECT_LT(longestTick, 1s) << "a tick waited on the dead line";
    EXPECT_EQ(window->image()[101], 71) << "block 1 came in before the line went";
    EXPECT_EQ(window->image()[350], before[350]) << "block 3 never came";
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.notices.isEmpty());

    // No Connection comes as after any silence, not at once.
    EXPECT_FALSE(noConnectionShown());
    for (int t = 0; t < link::Link::kNoReplyTicks; ++t)
        window->Timer1Timer();
    EXPECT_TRUE(noConnectionShown());
    EXPECT_FALSE(window->portOpen()) << "the dead terminal cannot be opened again";

    // A unit turns up under the same name; within a period of tries the window has it.
    sim::PtyUnit &second = plugIn(sim::BlockStore::defaultImage());
    for (int t = 0; t < ui::TFormHlav::kReopenTicks && !window->portOpen(); ++t)
        window->Timer1Timer();
    ASSERT_TRUE(window->portOpen());

    // Idle polling reaches it and its replies come back, with no action from the user.
    for (int t = 0; t < link::Link::kMonitorTicks; ++t)
        window->Timer1Timer();
    ASSERT_TRUE(second.waitForRequests(1, 2s));
    EXPECT_TRUE(tickWhenAnswered(second));
    EXPECT_FALSE(noConnectionShown());
    EXPECT_LT(window->link().noReplyTicks(), link::Link::kNoReplyTicks);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    EXPECT_TRUE(dialogs.notices.isEmpty());
}
