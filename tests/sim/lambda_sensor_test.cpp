#include "link/monitor.h"
#include "sim/lambda_sensor.h"
#include "sim/sensor_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace velmora::sim {
namespace {

TEST(LambdaSensor, ReadsTheTargetAtTheRightMixtureAndTwentyMillivoltsPerPercentNearIt)
{
    EXPECT_DOUBLE_EQ(LambdaSensor::curveMv(1.0), 800.0);
    for (double ratio : {0.98, 0.99, 1.0, 1.01}) {
        const double step = LambdaSensor::curveMv(ratio + 0.01) - LambdaSensor::curveMv(ratio);
        EXPECT_NEAR(step, 20.0, 2.0) << ratio;
    }
}

TEST(LambdaSensor, IsMonotonicBoundedAndNeverJumpsABand)
{
    EXPECT_DOUBLE_EQ(LambdaSensor::curveMv(0.0), 100.0) << "no fuel at all";
    double previous = LambdaSensor::curveMv(0.05);
    for (double ratio = 0.06; ratio <= 2.5; ratio += 0.01) {
        const double mv = LambdaSensor::curveMv(ratio);
        EXPECT_GT(mv, previous) << ratio;
        EXPECT_LE(mv - previous, 21.0) << "a 1 % step at " << ratio;
        EXPECT_GT(mv, 100.0);
        EXPECT_LT(mv, 1000.0);
        previous = mv;
    }
    EXPECT_LT(LambdaSensor::curveMv(0.3), 150.0) << "saturates very lean";
    EXPECT_GT(LambdaSensor::curveMv(1.5), 990.0) << "saturates very rich";
}

TEST(LambdaSensor, NoiseIsBoundedReproducibleAndSeeded)
{
    LambdaSensor quiet;
    EXPECT_DOUBLE_EQ(quiet.readMv(0.95, 7), LambdaSensor::curveMv(0.95));

    LambdaSensor a;
    a.setNoise(15.0, 42);
    LambdaSensor b = a;
    LambdaSensor other;
    other.setNoise(15.0, 43);
    std::set<long> distinct;
    double low = 0;
    double high = 0;
    int differences = 0;
    for (std::uint64_t n = 0; n < 2000; ++n) {
        const double noise = a.noiseMv(n);
        EXPECT_LE(std::abs(noise), 15.0);
        EXPECT_DOUBLE_EQ(a.readMv(1.0, n), b.readMv(1.0, n));
        differences += other.noiseMv(n) != noise;
        distinct.insert(std::lround(noise));
        low = std::min(low, noise);
        high = std::max(high, noise);
    }
    EXPECT_GT(differences, 1990) << "another seed, another sequence";
    EXPECT_GE(distinct.size(), 25u);
    EXPECT_LT(low, -13.0) << "the whole band is used";
    EXPECT_GT(high, 13.0);
}

TEST(SensorScale, CountsReadBackAsTheIntendedMillivolts)
{
    for (int mv = 0; mv <= 5000; ++mv) {
        const std::uint16_t count = countOfMv(mv);
        const int shown = link::sensorMv(count);
        ASSERT_LE(std::abs(shown - mv), 1) << mv;
        bool reachable = false;
        for (int c = std::max(count - 2, 0); c <= count + 2; ++c)
            reachable = reachable || link::sensorMv(static_cast<std::uint16_t>(c)) == mv;
        if (reachable) {
            ASSERT_EQ(shown, mv) << "a count that reads back exactly was passed over";
        }
    }
    EXPECT_EQ(link::sensorMv(countOfMv(800.0)), 800);
    EXPECT_EQ(countOfMv(-5.0), 0);
    EXPECT_EQ(countOfMv(9000.0), kFullScaleCount);
}

TEST(SensorScale, SupplyReadsBackThroughTheDividerAndDiode)
{
    // The PC shows the supply in steps of 11 or 22 mV.
    for (unsigned mv : {7000u, 11000u, 13800u, 18000u}) {
        const int shown = link::sensorMv(supplyCount(mv)) * 11 + 650;
        EXPECT_NEAR(shown, mv, 11) << mv;
    }
}

} // namespace
} // namespace velmora::sim
