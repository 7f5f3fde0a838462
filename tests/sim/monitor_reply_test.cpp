#include "sim/monitor_reply.h"

#include "sim_test_frames.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

using testing::word;

TEST(MonitorReply, IdleValuesArePlausible)
{
    const link::Frame f = buildMonitorReply(LiveState{});
    EXPECT_EQ(f[0], link::kMonitorReply);
    EXPECT_TRUE(link::frameValid(f));
    EXPECT_NEAR(word(f, monitor::kSupplyCount) * 5000.0 / 4092 * 11 + 650, 13800, 100);
    EXPECT_NEAR(word(f, monitor::kThrottleCount) * 5000.0 / 4092, 600, 20);
    EXPECT_GE(word(f, monitor::kIntakePressureCount), 421);
    EXPECT_LE(word(f, monitor::kIntakePressureCount), 4024);
    EXPECT_EQ(f[monitor::kCoolant], 185);
    EXPECT_EQ(f[monitor::kAir], 125);
    EXPECT_EQ(word(f, monitor::kSupplyCorrection), 1000);
    EXPECT_EQ(f[monitor::kServoInOrder] + f[monitor::kCrankPickup] + f[monitor::kCamPickup], 3);
    EXPECT_EQ(f[monitor::kProgramVersion], 43);
}

TEST(MonitorReply, EncodesLowByteFirstAndClampsOffsetValues)
{
    LiveState s;
    s.rpm = 0x1234;
    s.testValues[7] = 0xBEEF;
    s.coolantCelsius = -40;
    s.airCelsius = -150; // clamped: wrapped it would read as a hot engine
    // A correction below 100 % is sent as a negative 16-bit two's complement number: -2.5 %
    // and -0.1 % here.
    s.corrections = {-25, 0, 1000, -1};
    s.supplyCorrectionUs = -200;
    const link::Frame f = buildMonitorReply(s);
    EXPECT_EQ(f[monitor::kRpm], 0x34);
    EXPECT_EQ(f[monitor::kRpm + 1], 0x12);
    EXPECT_EQ(word(f, monitor::kTestValues + 14), 0xBEEF);
    EXPECT_EQ(f[monitor::kCoolant], 60);
    EXPECT_EQ(f[monitor::kAir], 0);
    EXPECT_EQ(static_cast<std::int16_t>(word(f, monitor::kCorrections)), -25);
    EXPECT_EQ(word(f, monitor::kCorrections + 6), 0xFFFF);
    EXPECT_EQ(word(f, monitor::kSupplyCorrection), 800); // -200 us, sent offset by 1000
    s.coolantCelsius = 200;
    EXPECT_EQ(buildMonitorReply(s)[monitor::kCoolant], 255);
}

} // namespace
} // namespace velmora::sim
