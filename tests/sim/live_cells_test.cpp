#include "sim/block_store.h"
#include "sim/live_cells.h"

#include <gtest/gtest.h>

#include <array>

namespace velmora::sim {
namespace {

const std::array<std::uint8_t, 10> kAxis{10, 20, 30, 40, 60, 80, 100, 120, 140, 160};

TEST(LiveCells, SpeedHalfWayBetweenPointsGoesDown)
{
    EXPECT_EQ(speedPoint(kAxis, 1500), 0u);
    EXPECT_EQ(speedPoint(kAxis, 1599), 0u) << "speed counts in whole 100 rpm";
    EXPECT_EQ(speedPoint(kAxis, 1600), 1u);
    EXPECT_EQ(speedPoint(kAxis, 5000), 3u) << "40 and 60 are 20 apart";
    EXPECT_EQ(speedPoint(kAxis, 5100), 4u);
}

TEST(LiveCells, SpeedOutsideTheAxisTakesTheEndPoints)
{
    EXPECT_EQ(speedPoint(kAxis, 0), 0u);
    EXPECT_EQ(speedPoint(kAxis, 999), 0u);
    EXPECT_EQ(speedPoint(kAxis, 16000), 9u);
    EXPECT_EQ(speedPoint(kAxis, 65535), 9u);
    // r stops at 255, which a top point of 255 still reaches.
    const std::array<std::uint8_t, 10> high{10, 20, 30, 40, 50, 60, 70, 80, 254, 255};
    EXPECT_EQ(speedPoint(high, 65535), 9u);
    EXPECT_EQ(speedPoint(high, 25450), 8u);
}

TEST(LiveCells, SearchStopsAtTheFirstPointAboveTheSpeed)
{
    // A disordered axis: the 5 after the 30 is never reached.
    const std::array<std::uint8_t, 10> odd{10, 30, 5, 40, 50, 60, 70, 80, 90, 100};
    EXPECT_EQ(speedPoint(odd, 2000), 0u);
    EXPECT_EQ(speedPoint(odd, 2100), 1u);
}

TEST(LiveCells, ThrottleRowsOnTheFixedOpenings)
{
    EXPECT_EQ(throttleRow(0), 0u);
    EXPECT_EQ(throttleRow(1), 0u);
    EXPECT_EQ(throttleRow(2), 1u);
    EXPECT_EQ(throttleRow(15), 3u);
    EXPECT_EQ(throttleRow(16), 4u);
    EXPECT_EQ(throttleRow(90), 8u);
    EXPECT_EQ(throttleRow(91), 9u);
    EXPECT_EQ(throttleRow(255), 9u);
}

TEST(LiveCells, IntakeRowsCountTheThresholdsReached)
{
    EXPECT_EQ(intakeRow(0), 0u);
    EXPECT_EQ(intakeRow(14), 0u);
    EXPECT_EQ(intakeRow(15), 1u);
    EXPECT_EQ(intakeRow(94), 8u);
    EXPECT_EQ(intakeRow(95), 9u);
    EXPECT_EQ(intakeRow(255), 9u);
}

TEST(LiveCells, TemperaturePointsSplitHalfWayUpwards)
{
    EXPECT_EQ(temperaturePoint(-100), 0u);
    EXPECT_EQ(temperaturePoint(4), 0u);
    EXPECT_EQ(temperaturePoint(5), 1u);
    EXPECT_EQ(temperaturePoint(94), 3u);
    EXPECT_EQ(temperaturePoint(95), 4u);
    EXPECT_EQ(temperaturePoint(155), 4u);
}

TEST(LiveCells, EachMapUsesItsOwnSpeedAxis)
{
    DeviceImage image = BlockStore::defaultImage();
    const std::array<std::uint8_t, 10> tpi{5, 10, 15, 20, 25, 30, 35, 40, 45, 50};
    std::copy(tpi.begin(), tpi.end(), image.run(layout::kRpmJetTpi, 10).begin());
    image[layout::kRpmJetIap] = 3;
    image[layout::kRpmJetIap + 1] = 5;

    const LoadInput tp{2500, 20, 50, true};
    const LiveCells cells = findLiveCells(image, tp);
    EXPECT_EQ(cells.injection14, (MapCell{FuelMap::Tp14, 4, 1}));
    EXPECT_EQ(cells.injection23, (MapCell{FuelMap::Tp23, 4, 4}));
    EXPECT_EQ(cells.injection14.index(), 41u);

    LoadInput iap = tp;
    iap.throttleLoad = false;
    const LiveCells byPressure = findLiveCells(image, iap);
    EXPECT_EQ(byPressure.injection14, (MapCell{FuelMap::Iap, 4, 2}));
    EXPECT_EQ(byPressure.injection23, byPressure.injection14);
}

} // namespace
} // namespace velmora::sim
