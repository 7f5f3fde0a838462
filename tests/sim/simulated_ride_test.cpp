#include "sim/block_store.h"
#include "sim/engine.h"
#include "sim/live_cells.h"
#include "sim/ride_route.h"
#include "sim/sensor_scale.h"
#include "sim/unit_options.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <set>
#include <vector>

namespace velmora::sim {
namespace {

using namespace std::chrono_literals;

TEST(NarrowBandSensor, SwitchesSteeplyAroundTheRightMixtureBetweenItsRails)
{
    EXPECT_DOUBLE_EQ(LambdaSensor::narrowBandMv(1.0), 500.0) << "half-way at the right mixture";
    EXPECT_LT(LambdaSensor::narrowBandMv(0.95), 150.0) << "5 % lean is near the low rail";
    EXPECT_GT(LambdaSensor::narrowBandMv(1.05), 850.0) << "5 % rich is near the high rail";
    EXPECT_GT(LambdaSensor::narrowBandMv(0.0), 99.0);
    EXPECT_LT(LambdaSensor::narrowBandMv(0.5), 101.0);
    EXPECT_LE(LambdaSensor::narrowBandMv(3.0), 900.0);
    EXPECT_GT(LambdaSensor::narrowBandMv(2.0), 899.0);
    double previous = LambdaSensor::narrowBandMv(0.5);
    for (double ratio = 0.51; ratio <= 2.0; ratio += 0.01) {
        const double mv = LambdaSensor::narrowBandMv(ratio);
        EXPECT_GE(mv, previous) << ratio;
        previous = mv;
    }
    // Steeper than the gentle curve where it matters: a 1 % step near the switch moves it
    // several times as far, which is why it says rich or lean far better than how much.
    const double narrowStep = LambdaSensor::narrowBandMv(1.005) - LambdaSensor::narrowBandMv(0.995);
    const double gentleStep = LambdaSensor::curveMv(1.005) - LambdaSensor::curveMv(0.995);
    EXPECT_GT(narrowStep, 5 * gentleStep);
}

TEST(NarrowBandSensor, TheChosenCurveReadsAndInvertsWithNoiseOnTop)
{
    LambdaSensor sensor;
    EXPECT_DOUBLE_EQ(sensor.readMv(1.0, 0), 800.0) << "the gentle curve stays the default";
    sensor.setCurve(LambdaCurve::NarrowBand);
    EXPECT_DOUBLE_EQ(sensor.readMv(1.0, 0), 500.0);
    const double ratio = sensor.ratioReading(800.0);
    EXPECT_NEAR(sensor.curveMvOf(ratio), 800.0, 1e-6);
    EXPECT_NEAR(ratio, std::exp(LambdaSensor::kNarrowWidth * std::log(7.0)), 1e-9);
    sensor.setNoise(30, 4);
    for (std::uint64_t n = 0; n < 50; ++n)
        EXPECT_NEAR(sensor.readMv(ratio, n), 800.0, 30.0 + 1e-9);
}

TEST(NarrowBandSensor, TheMonitorCarriesItsReadingOfTheLambdaCell)
{
    const DeviceImage image = BlockStore::defaultImage();
    OperatingPoint p;
    p.rpm = 4000;
    p.throttlePercent = 20;
    p.loadMode = LoadMode::Throttle;
    Engine engine;
    engine.hold(p);
    engine.setLambdaCurve(LambdaCurve::NarrowBand);
    const std::size_t cell = engine.lambdaCell(image).index();
    const double fresh = image[layout::kJetTp + cell];
    const auto reads = [&](double need) {
        engine.requirement().set(FuelMap::Tp14, cell, need);
        return engine.state(image).lambdaCount;
    };
    EXPECT_EQ(reads(fresh), countOfMv(500)) << "the right mixture";
    EXPECT_EQ(reads(fresh / engine.lambdaSensor().ratioReading(800)), countOfMv(800));
    EXPECT_LE(reads(fresh * 1.1), countOfMv(110)) << "the map 10 % lean";
    engine.setLambdaCurve(LambdaCurve::Gentle);
    EXPECT_EQ(reads(fresh), countOfMv(800));
    EXPECT_DOUBLE_EQ(engine.lambdaSensor().ratioReading(800), 1.0);
}

std::set<std::size_t> visitedCells(const Script &route, FuelMap map, const DeviceImage &image)
{
    std::set<std::size_t> cells;
    for (const ScriptStep &step : route.steps) {
        const OperatingPoint &p = step.point;
        const bool throttle = p.loadMode == LoadMode::Throttle;
        if (step.duration >= 1s && p.coolantCelsius >= 70 && (map == FuelMap::Iap) != throttle)
            cells.insert(
                cellOf(image, map, {p.rpm, p.throttlePercent, p.intakePercent, throttle}).index());
    }
    return cells;
}

TEST(RideRoute, HoldsWarmInNearlyEveryCellOfEveryMapWithinAFewMinutes)
{
    const DeviceImage image = BlockStore::defaultImage();
    const Script route = rideRoute(image, 7);
    for (FuelMap map : kFuelMaps)
        EXPECT_GE(visitedCells(route, map, image).size(), 90u) << mapIndex(map);
    EXPECT_GE(scriptLength(route), 3min);
    EXPECT_LE(scriptLength(route), 10min);
    EXPECT_LT(route.steps.front().point.coolantCelsius, 30) << "from a cold start";
    EXPECT_EQ(route.steps.front().point.throttlePercent, 0);

    int accelerations = 0, idles = 0;
    for (std::size_t i = 1; i < route.steps.size(); ++i) {
        const OperatingPoint &p = route.steps[i].point;
        if (route.steps[i].duration < 1s && p.loadMode == route.steps[i - 1].point.loadMode)
            accelerations += p.throttlePercent > route.steps[i - 1].point.throttlePercent;
        idles += p.rpm < 1500 && p.coolantCelsius >= 70 && route.steps[i].duration >= 3s;
    }
    EXPECT_GE(accelerations, 5);
    EXPECT_GE(idles, 4);

    // A monitor reply comes every 330 ms: a cell's reading needs six of them, three more after an
    // acceleration's enrichment.
    for (std::size_t i = 1; i < route.steps.size(); ++i) {
        const ScriptStep &step = route.steps[i];
        if (step.duration < 1s || step.point.rpm < 1500)
            continue;
        EXPECT_GE(step.duration, 2s) << i;
        if (route.steps[i - 1].duration < 1s) {
            EXPECT_GE(step.duration, 3s) << "after the acceleration ending at " << i;
        }
    }
}

TEST(RideRoute, IsTheSameForASeedAndDiffersBetweenSeeds)
{
    const DeviceImage image = BlockStore::defaultImage();
    EXPECT_EQ(rideRoute(image, 3), rideRoute(image, 3));
    EXPECT_NE(rideRoute(image, 3), rideRoute(image, 4));
}

TEST(RideRoute, FollowsTheImageSpeedAxis)
{
    DeviceImage image = BlockStore::defaultImage();
    for (std::size_t i = 0; i < layout::kCurvePoints; ++i)
        image[layout::kRpmJetTp + i] = static_cast<std::uint8_t>(15 + 10 * i);
    std::set<unsigned> speeds;
    for (const ScriptStep &step : rideRoute(image, 1).steps)
        if (step.point.loadMode == LoadMode::Throttle && step.point.coolantCelsius >= 70)
            speeds.insert(step.point.rpm);
    EXPECT_TRUE(speeds.contains(2500) && speeds.contains(10500)) << "points of the new axis";
    EXPECT_FALSE(speeds.contains(2000));
}

TEST(FuelField, StaysWithinItsPercentReachesItAndRepeatsForASeed)
{
    const FuelRequirement field = FuelRequirement::randomField(15, 11);
    EXPECT_EQ(field, FuelRequirement::randomField(15, 11));
    EXPECT_NE(field, FuelRequirement::randomField(15, 12));
    for (FuelMap map : kFuelMaps) {
        double largest = 0, roughest = 0;
        std::set<long> distinct;
        for (std::size_t cell = 0; cell < layout::kMapCells; ++cell) {
            const double departure = field.at(map, cell) - FuelRequirement::kOnTarget;
            EXPECT_LE(std::abs(departure), 15.0 + 1e-9);
            largest = std::max(largest, std::abs(departure));
            distinct.insert(std::lround(field.at(map, cell)));
            if (cell % layout::kMapSide)
                roughest =
                    std::max(roughest, std::abs(field.at(map, cell) - field.at(map, cell - 1)));
        }
        EXPECT_NEAR(largest, 15.0, 1e-9) << mapIndex(map);
        EXPECT_GE(distinct.size(), 8u) << "a field, not a constant";
        EXPECT_LT(roughest, 15.0) << "smooth: neighbours never jump by the whole range";
    }
    EXPECT_NE(field.at(FuelMap::Tp14, 0), field.at(FuelMap::Iap, 0)) << "each map its own";
}

TEST(SimulatedRideOptions, RouteFieldAndSensorReachTheEngine)
{
    const std::vector<std::string_view> args{"--route", "--field=15", "--sensor", "narrow",
                                             "--seed",  "5",          "--noise",  "20"};
    const ParsedOptions p = parseUnitOptions(args);
    ASSERT_TRUE(p.ok()) << p.error;
    const DeviceImage image = BlockStore::defaultImage();
    Engine engine = p.options.engine.makeEngine(image);
    EXPECT_EQ(engine.lambdaSensor().curve(), LambdaCurve::NarrowBand);
    EXPECT_EQ(engine.requirement(), FuelRequirement::randomField(15, 5));
    EXPECT_EQ(engine.schedule(), EngineSchedule::scripted(rideRoute(image, 5)));
    EXPECT_LT(engine.point().coolantCelsius, 30);

    const Engine plain = parseUnitOptions({}).options.engine.makeEngine();
    EXPECT_EQ(plain.lambdaSensor().curve(), LambdaCurve::Gentle);
    EXPECT_EQ(plain.requirement(), FuelRequirement{});
}

TEST(SimulatedRideOptions, BadValuesAreRefused)
{
    const std::vector<std::vector<std::string_view>> bad{
        {"--sensor", "wide"},      {"--field", "51"},      {"--field", "-3"}, {"--field", "x"},
        {"--route", "--rpm=3000"}, {"--route", "--sweep"}, {"--route=1"},
    };
    for (const auto &args : bad) {
        const ParsedOptions p = parseUnitOptions(args);
        EXPECT_FALSE(p.ok()) << args[0];
        EXPECT_NE(p.error.find(std::string(args[0]).substr(0, 7)), std::string::npos) << p.error;
    }
}

} // namespace
} // namespace velmora::sim
