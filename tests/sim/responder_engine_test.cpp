#include "link/monitor.h"
#include "sim/monitor_reply.h"
#include "sim/responder.h"
#include "sim_test_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace velmora::sim {
namespace {

using namespace testing;

const Clock::time_point kT0{};

class ResponderEngineTest : public ::testing::Test {
protected:
    std::optional<link::Frame> send(const link::Frame &f) { return responder.answer(f, kT0); }

    Responder responder;
};

TEST_F(ResponderEngineTest, MonitorFollowsAMapBlockStoredJustBefore)
{
    // The idle's live TP14 cell is the first byte of block 3; the engine needs 6 % more there.
    const std::size_t cell = responder.engine().lambdaCell(responder.store().image()).index();
    ASSERT_EQ(layout::kJetTp + cell, 3 * layout::kBlockSize);
    responder.engine().requirement().set(FuelMap::Tp14, cell, 106);
    const link::Frame lean = *send(request(0x30));
    EXPECT_NEAR(link::sensorMv(word(lean, monitor::kLambdaCount)), 685, 5);

    std::array<std::uint8_t, layout::kBlockSize> block3{};
    const auto stored = responder.store().block(3);
    std::copy(stored.begin(), stored.end(), block3.begin());
    block3[0] = 106;
    send(link::makeFrame(3, block3));
    const link::Frame tuned = *send(request(0x30));
    EXPECT_NEAR(link::sensorMv(word(tuned, monitor::kLambdaCount)), 800, 1);
    EXPECT_NEAR(word(tuned, monitor::kInjection14), word(lean, monitor::kInjection14) * 1.06, 1.0);
    EXPECT_EQ(word(tuned, monitor::kInjection23), word(lean, monitor::kInjection23));
}

TEST_F(ResponderEngineTest, RequestTimesDriveTheEngine)
{
    using namespace std::chrono_literals;
    OperatingPoint slow;
    slow.rpm = 1000;
    OperatingPoint fast;
    fast.rpm = 3000;
    responder.engine().setSchedule(EngineSchedule::scripted({{{slow, 1s}, {fast, 1s}}}));
    auto rpmAt = [&](Clock::duration t) {
        return word(*responder.answer(request(0x30), kT0 + t), monitor::kRpm);
    };
    EXPECT_EQ(rpmAt(0ms), 1000);
    EXPECT_EQ(rpmAt(999ms), 1000);
    responder.answer(request(0x41), kT0 + 1000ms); // any request tells the time
    EXPECT_EQ(responder.live().rpm, 3000);
    EXPECT_EQ(rpmAt(500ms), 3000) << "a stale time does not wind the engine back";
}

TEST_F(ResponderEngineTest, PinnedValuesHoldUntilTheEngineIsFollowedAgain)
{
    LiveState pinned;
    pinned.rpm = 777;
    responder.setLive(pinned);
    OperatingPoint p;
    p.rpm = 2500;
    responder.engine().hold(p);
    EXPECT_EQ(word(*send(request(0x30)), monitor::kRpm), 777);
    EXPECT_TRUE(responder.livePinned());
    responder.followEngine();
    EXPECT_EQ(word(*send(request(0x30)), monitor::kRpm), 2500);
}

} // namespace
} // namespace velmora::sim
