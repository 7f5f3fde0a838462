#include "link/live_points.h"

#include "model/parameter_set.h"

#include <gtest/gtest.h>

using namespace velmora;
using namespace velmora::link;
using namespace velmora::layout;

TEST(LivePoints, NearestSpeedPointGoesDownAtHalfWay)
{
    const std::array<std::uint8_t, 10> axis{10, 20, 30, 40, 60, 80, 100, 120, 140, 160};
    bool below = false;
    EXPECT_EQ(nearestSpeedPoint(axis, 1500, &below), 0);
    EXPECT_FALSE(below);
    EXPECT_EQ(nearestSpeedPoint(axis, 1600), 1);
    EXPECT_EQ(nearestSpeedPoint(axis, 999, &below), 0);
    EXPECT_TRUE(below);
    EXPECT_EQ(nearestSpeedPoint(axis, 16000), 9);
    EXPECT_EQ(nearestSpeedPoint(axis, 5000), 3); // 40 + 60 = 100 >= 100: half-way goes down
    EXPECT_EQ(nearestSpeedPoint(axis, 5100), 4);

    // Very high speeds saturate at 255 hundreds instead of wrapping round to a low point.
    const std::array<std::uint8_t, 10> high{3, 4, 5, 6, 7, 8, 9, 10, 11, 250};
    EXPECT_EQ(nearestSpeedPoint(high, 25600), 9);
    EXPECT_EQ(nearestSpeedPoint(high, 65535), 9);
}

TEST(LivePoints, LoadRowsAndTemperatures)
{
    EXPECT_EQ(tpRowOf(15), 3);
    EXPECT_EQ(tpRowOf(16), 4);
    EXPECT_EQ(tpRowOf(100), 9);
    EXPECT_EQ(tpRowOf(0), 0);
    EXPECT_EQ(tpRowOf(255), 9);
    EXPECT_EQ(iapRowOf(14), 0);
    EXPECT_EQ(iapRowOf(15), 1);
    EXPECT_EQ(iapRowOf(95), 9);
    EXPECT_EQ(iapRowOf(200), 9);
    EXPECT_EQ(temperaturePointOf(104), 0);
    EXPECT_EQ(temperaturePointOf(105), 1);
    EXPECT_EQ(temperaturePointOf(225), 5);
    EXPECT_EQ(temperaturePointOf(0), 0);
}

namespace {
DeviceImage image()
{
    DeviceImage i;
    applyDefaults(i);
    consistencyPass(i);
    return i;
}
constexpr std::size_t kFirstCell = kRowLabelCount;
} // namespace

TEST(LiveMarking, StandingEngineMarksOnlyServoAndRows)
{
    DeviceImage img = image();
    for (std::size_t i = 0; i < 10; ++i)
        img[kRpmAdv + i] = static_cast<std::uint8_t>(5 + i);
    LiveValues live; // speed 0
    live.throttleOpening = 30;
    live.intakePressure = 50;
    live.coolant = 104;
    live.air = 225;
    const LivePoints p = livePoints(img, live);
    EXPECT_TRUE(p.belowCurve);
    const Marking m = liveMarking(p, live, false, false);
    for (std::size_t i = 0; i < 20; ++i)
        EXPECT_EQ(m[kFirstCell + cell::kRpmAdv + i], Mark::None);
    for (std::size_t i = 0; i < 30; ++i)
        EXPECT_EQ(m[kFirstCell + cell::kRpmJetTp + i], Mark::None);
    for (std::size_t i = 0; i < 300; ++i)
        EXPECT_EQ(m[kFirstCell + cell::kJetTp + i], Mark::None);
    EXPECT_EQ(m[kFirstCell + cell::kRpmPriv], Mark::Lime);
    EXPECT_EQ(m[kFirstCell + cell::kNapPriv], Mark::Lime);
    EXPECT_EQ(m[5], Mark::Lime);      // LabelTps6: 30 %
    EXPECT_EQ(m[15], Mark::Lime);     // LabelTps6i
    EXPECT_EQ(m[20 + 4], Mark::Lime); // LabelIap5: 50 %
    EXPECT_EQ(m[400], Mark::Lime);    // EditVoda_10
    for (std::size_t i = 405; i < 410; ++i)
        EXPECT_EQ(m[i], Mark::None); // air at 125 degrees marks nothing
}

TEST(LiveMarking, LiveMapCellColourFollowsWindowAndTarget)
{
    const DeviceImage img = image();
    LiveValues live;
    live.speed = 4000;
    live.throttleOpening = 20;
    live.loadMode = 1;
    const LivePoints p = livePoints(img, live);
    EXPECT_EQ(p.tp14Column, 3);
    EXPECT_EQ(p.tpRow, 4);
    const std::size_t tp14 = kFirstCell + cell::kJetTp + 43;
    const std::size_t tp23 = kFirstCell + cell::kJetTpi + 43;
    EXPECT_EQ(liveMarking(p, live, false, false)[tp14], Mark::Lime);
    EXPECT_EQ(liveMarking(p, live, true, false)[tp14], Mark::Yellow);
    EXPECT_EQ(liveMarking(p, live, true, true)[tp23], Mark::Fuchsia);
    EXPECT_EQ(liveMarking(p, live, true, true)[kFirstCell + cell::kJetIap], Mark::None);
    EXPECT_EQ(liveMarking(p, live, false, false)[kFirstCell + cell::kRpmAdv + 3], Mark::Lime);

    live.loadMode = 0; // the IAP map is in control
    live.intakePressure = 60;
    const LivePoints q = livePoints(img, live);
    const Marking m = liveMarking(q, live, false, false);
    EXPECT_EQ(m[tp14], Mark::None);
    EXPECT_EQ(m[kFirstCell + cell::kJetIap + 10 * 5 + 3], Mark::Lime);

    live.mapHold = 1; // maps not in control: no live cell at all
    const Marking held = liveMarking(q, live, true, true);
    EXPECT_EQ(held[kFirstCell + cell::kJetIap + 53], Mark::None);
    EXPECT_EQ(held[kFirstCell + cell::kRpmJetIap + 3], Mark::Lime);
}
