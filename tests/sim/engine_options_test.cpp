#include "sim/unit_options.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <vector>

namespace velmora::sim {
namespace {

ParsedOptions parse(std::vector<std::string_view> args)
{
    return parseUnitOptions(args);
}

TEST(EngineOptions, HoldAPointAndShapeTheLambda)
{
    const std::vector<std::string_view> args{
        "--rpm", "3000",    "--tps=20",  "--coolant", "-10",      "--load-mode",
        "iap",   "--lean",  "tp14:23:6", "--lean",    "iap:5:-4", "--lambda-map",
        "tp23",  "--noise", "10",        "--seed",    "9",        "--map-hold"};
    const ParsedOptions p = parse(args);
    ASSERT_TRUE(p.ok()) << p.error;
    OperatingPoint expected;
    expected.rpm = 3000;
    expected.throttlePercent = 20;
    expected.coolantCelsius = -10;
    expected.loadMode = LoadMode::IntakePressure;
    expected.mapHold = true;

    Engine engine = p.options.engine.makeEngine();
    engine.advance(std::chrono::minutes(1));
    EXPECT_EQ(engine.point(), expected) << "held";
    EXPECT_DOUBLE_EQ(engine.requirement().at(FuelMap::Tp14, 23), 106);
    EXPECT_DOUBLE_EQ(engine.requirement().at(FuelMap::Iap, 5), 96);
    EXPECT_DOUBLE_EQ(engine.requirement().at(FuelMap::Tp23, 23), 100);
    EXPECT_EQ(engine.tpLambdaMap(), FuelMap::Tp23);
    EXPECT_DOUBLE_EQ(engine.lambdaSensor().noiseAmplitudeMv(), 10);
    EXPECT_EQ(engine.lambdaSensor().seed(), 9u);
}

TEST(EngineOptions, WithoutSpeedOrLoadTheEngineIdlesOrSweeps)
{
    Engine idle = parse({"--coolant", "20"}).options.engine.makeEngine();
    std::set<std::uint16_t> speeds;
    for (int i = 0; i < 20; ++i) {
        const OperatingPoint p = idle.point();
        EXPECT_GE(p.rpm, 1200);
        EXPECT_LE(p.rpm, 1500);
        EXPECT_EQ(p.coolantCelsius, 20) << "the rest of the point goes along";
        speeds.insert(p.rpm);
        idle.advance(std::chrono::milliseconds(700));
    }
    EXPECT_GE(speeds.size(), 5u);

    Engine ride = parse({"--sweep", "--air", "0"}).options.engine.makeEngine();
    ride.advance(std::chrono::seconds(30));
    EXPECT_GT(ride.point().rpm, 3000);
    EXPECT_EQ(ride.point().airCelsius, 0);
}

TEST(EngineOptions, FaultSwitchesSetTheirFaults)
{
    const ParsedOptions p =
        parse({"--iap-fault", "--tps-fault", "--coolant-fault", "--air-fault", "--servo-fault",
               "--data-error", "--unit-version", "42", "--speed-alarm", "2", "--blocking"});
    ASSERT_TRUE(p.ok()) << p.error;
    const UnitFaults &f = p.options.engine.faults;
    EXPECT_LT(f.intakePressureCount.value_or(421), 421);
    EXPECT_GT(f.throttlePercent.value_or(0), 100);
    EXPECT_TRUE(f.coolantSensor && f.airSensor && f.servo && f.storedData && f.blocking);
    EXPECT_EQ(f.programVersion, 42);
    EXPECT_FALSE(f.speedAlarm1);
    EXPECT_TRUE(f.speedAlarm2);
    EXPECT_EQ(parse({"--iap-count", "4050"}).options.engine.faults.intakePressureCount, 4050);
    EXPECT_EQ(parse({}).options.engine.faults, UnitFaults{});
}

TEST(EngineOptions, BadEngineOptionsAreRefused)
{
    const std::vector<std::vector<std::string_view>> bad{
        {"--lean", "tp15:1:2"},    {"--lean", "tp14:100:2"}, {"--lean", "tp14:5"},
        {"--lean", "iap:5:x"},     {"--lean", "iap:5:-91"},  {"--load-mode", "map"},
        {"--lambda-map", "iap"},   {"--coolant", "151"},     {"--air", "-41"},
        {"--speed-alarm", "3"},    {"--tps", "101"},         {"--rpm", "20001"},
        {"--sweep", "--rpm=2000"},
    };
    for (const auto &args : bad) {
        const ParsedOptions p = parse(args);
        EXPECT_FALSE(p.ok()) << args[0] << " " << args[1];
        EXPECT_NE(p.error.find(args[0]), std::string::npos) << p.error;
    }
}

} // namespace
} // namespace velmora::sim
