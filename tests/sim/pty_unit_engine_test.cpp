#include "link/monitor.h"
#include "pc_port.h"
#include "sim/monitor_reply.h"
#include "sim/pty_unit.h"
#include "sim_test_frames.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmora::sim {
namespace {

using namespace testing;

TEST(PtyUnitEngine, CanBeSetWhileRunning)
{
    FaultPlan plan;
    plan.pace = false;
    PtyUnit unit(BlockStore{}, plan);
    PcPort port(unit.slavePath());
    ASSERT_TRUE(port.isOpen());
    OperatingPoint point;
    point.rpm = 3000;
    point.throttlePercent = 20;
    unit.setOperatingPoint(point);
    EXPECT_EQ(unit.operatingPoint(), point);
    const auto reply = [&] {
        EXPECT_TRUE(port.send(request(0x30)));
        const auto bytes = port.receive(link::kFrameSize);
        link::Frame f{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), f.size()), f.begin());
        return f;
    };
    EXPECT_EQ(word(reply(), monitor::kRpm), 3000);

    const std::size_t cell = unit.engine().lambdaCell(unit.image()).index();
    EXPECT_TRUE(unit.setRequirement(FuelMap::Tp14, cell, 106));
    EXPECT_DOUBLE_EQ(unit.requirement(FuelMap::Tp14, cell), 106);
    EXPECT_LT(link::sensorMv(word(reply(), monitor::kLambdaCount)), 700);
    unit.resetRequirements();
    EXPECT_NEAR(link::sensorMv(word(reply(), monitor::kLambdaCount)), 800, 1);

    LiveState pinned;
    pinned.rpm = 777;
    unit.setLive(pinned);
    EXPECT_EQ(word(reply(), monitor::kRpm), 777);
    unit.setLambdaNoise(5, 1);
    EXPECT_EQ(word(reply(), monitor::kRpm), 3000) << "changing the engine follows it again";
}

} // namespace
} // namespace velmora::sim
