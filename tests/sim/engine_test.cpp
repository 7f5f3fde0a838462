#include "link/monitor.h"
#include "sim/block_store.h"
#include "sim/engine.h"
#include "sim/monitor_reply.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace velmora::sim {
namespace {

class EngineTest : public ::testing::Test {
protected:
    void holdAt(std::uint16_t rpm, std::uint8_t throttle, std::uint8_t intake,
                LoadMode mode = LoadMode::FromImage)
    {
        OperatingPoint p;
        p.rpm = rpm;
        p.throttlePercent = throttle;
        p.intakePercent = intake;
        p.loadMode = mode;
        engine.hold(p);
    }
    LiveState state() const { return engine.state(image); }
    link::Frame reply() { return buildMonitorReply(engine.sample(image)); }
    int lambdaMv() const { return link::sensorMv(state().lambdaCount); }
    std::uint8_t &cell(const MapCell &c) { return image[mapOffset(c.map) + c.index()]; }

    DeviceImage image = BlockStore::defaultImage();
    Engine engine;
};

// --- injection, advance, servo ---------------------------------------------------------------

TEST_F(EngineTest, InjectionFollowsOnlyTheLiveCellOfItsMap)
{
    holdAt(3000, 20, 50);
    const LiveCells live = engine.liveCells(image);
    ASSERT_EQ(live.injection14, (MapCell{FuelMap::Tp14, 4, 2}));
    const LiveState before = state();
    EXPECT_EQ(before.injection14, before.injection23);
    EXPECT_GT(before.injection14 * 30, 1500);
    EXPECT_LT(before.injection14 * 30, 8000);

    image[layout::kJetTp + live.injection14.index() + 1] = 200; // the neighbour
    EXPECT_EQ(state().injection14, before.injection14);
    cell(live.injection14) = 130;
    const LiveState after = state();
    EXPECT_NEAR(after.injection14, before.injection14 * 1.3, 1.5);
    EXPECT_EQ(after.injection23, before.injection23);
}

TEST_F(EngineTest, InjectionRisesWithLoadAndSpeed)
{
    holdAt(1500, 0, 35);
    const int idle = state().injection14;
    holdAt(1500, 60, 35);
    const int loaded = state().injection14;
    holdAt(9000, 60, 35);
    EXPECT_LT(idle, loaded);
    EXPECT_LT(loaded, state().injection14);
}

TEST_F(EngineTest, TemperatureCorrectionsAtThePointThePcMarks)
{
    const std::array<std::uint8_t, 5> water{150, 130, 115, 100, 90};
    const std::array<std::uint8_t, 5> air{80, 100, 100, 100, 100};
    std::copy(water.begin(), water.end(), image.run(layout::kWaterTemp, 5).begin());
    std::copy(air.begin(), air.end(), image.run(layout::kAirTemp, 5).begin());
    OperatingPoint p;
    p.airCelsius = 20;
    p.coolantCelsius = 80;
    engine.hold(p);
    const double warm = state().injection14;
    // The monitor carries a correction as its change from 100 % in tenths, so 100 % is 0.
    EXPECT_EQ(state().corrections[0], 0);

    p.coolantCelsius = 34;
    engine.hold(p);
    EXPECT_NEAR(state().injection14, warm * 1.30, 1.5);
    EXPECT_EQ(state().corrections[0], 300) << "+30.0 %";
    p.coolantCelsius = 35; // half-way between 20 and 50 goes up, as the PC marks it
    engine.hold(p);
    EXPECT_NEAR(state().injection14, warm * 1.15, 1.5);
    p.coolantCelsius = 150; // past the last point
    engine.hold(p);
    EXPECT_NEAR(state().injection14, warm * 0.90, 1.5);
    p.coolantCelsius = -40;
    p.airCelsius = 4;
    engine.hold(p);
    EXPECT_NEAR(state().injection14, warm * 1.50 * 0.80, 1.5);
    // 80 % of the air curve: a correction below 100 % is sent as a negative 16-bit two's
    // complement number, -20.0 % here.
    EXPECT_EQ(static_cast<std::int16_t>(state().corrections[1]), -200);
}

TEST_F(EngineTest, LoadModeChoosesTheMaps)
{
    holdAt(3000, 20, 50, LoadMode::IntakePressure);
    const LiveState iap = state();
    EXPECT_FALSE(iap.loadMode);
    EXPECT_EQ(engine.liveCells(image).injection14, (MapCell{FuelMap::Iap, 4, 2}));
    cell({FuelMap::Tp14, 4, 2}) = 150;
    EXPECT_EQ(state().injection14, iap.injection14) << "the TP maps are not in use";
    cell({FuelMap::Iap, 4, 2}) = 150;
    EXPECT_GT(state().injection14, iap.injection14);
    EXPECT_EQ(state().injection23, state().injection14) << "one map for all cylinders";

    holdAt(3000, 20, 50, LoadMode::FromImage);
    EXPECT_TRUE(state().loadMode) << "the default image takes the load from the throttle";
    image[layout::kTpsMode] = 0; // separate TP maps are still TP maps
    EXPECT_TRUE(state().loadMode);
    EXPECT_EQ(engine.lambdaCell(image).map, FuelMap::Tp14);
}

TEST_F(EngineTest, AdvanceIsCountedDownFromTheLimit)
{
    holdAt(5000, 10, 40); // point 3 of the advance axis
    EXPECT_EQ(state().sparkPosition, image[layout::kAdvanceLimit] - image[layout::kAdvance + 3]);
    image[layout::kAdvance + 3] = 8;
    image[layout::kAdvanceLimit] = 40;
    EXPECT_EQ(state().sparkPosition, 32);
    image[layout::kAdvance + 3] = 60;
    EXPECT_EQ(state().sparkPosition, 0) << "an advance past the limit stays a byte";
}

TEST_F(EngineTest, ServoIsSentToTheCurvePointAndSitsCloseToIt)
{
    holdAt(6000, 10, 40);
    const std::size_t point = engine.liveCells(image).servoPoint;
    image[layout::kNapPriv + point] = 150; // 3000 mV
    const LiveState s = state();
    EXPECT_NEAR(link::sensorMv(s.servoDesired), 3000, 1);
    EXPECT_LE(s.servoMeasured, s.servoDesired);
    EXPECT_GE(s.servoMeasured + 10, s.servoDesired);
}

TEST_F(EngineTest, StoppedEngineHasNoPickupsNoFuelAndALeanSensor)
{
    holdAt(0, 0, 100);
    const LiveState stopped = state();
    EXPECT_FALSE(stopped.crankPickup);
    EXPECT_FALSE(stopped.camPickup);
    EXPECT_EQ(stopped.injection14, 0);
    EXPECT_LE(lambdaMv(), 101);
    holdAt(1, 0, 100);
    EXPECT_TRUE(state().crankPickup && state().camPickup);
}

// --- lambda ------------------------------------------------------------------------------------

TEST_F(EngineTest, FreshUnitIsOnTarget)
{
    for (std::uint16_t rpm : {1200, 3000, 9000}) {
        holdAt(rpm, 30, 60);
        EXPECT_NEAR(lambdaMv(), 800, 1) << rpm;
    }
}

TEST_F(EngineTest, LeanCellConvergesOnePercentAtATime)
{
    holdAt(3000, 20, 50);
    const MapCell live = engine.lambdaCell(image);
    engine.requirement().set(live.map, live.index(), 106);
    const int start = lambdaMv();
    EXPECT_GE(start, 680);
    EXPECT_LE(start, 690);

    // What the PC does: one percent more while the reading is below the band.
    int steps = 0;
    while (lambdaMv() < 750 && steps < 10) {
        ++cell(live);
        ++steps;
    }
    EXPECT_GE(steps, 3);
    EXPECT_LE(steps, 5);
    EXPECT_LE(lambdaMv(), 850);
}

TEST_F(EngineTest, SensorJudgesTheChosenMap)
{
    holdAt(3000, 20, 50);
    const std::size_t tpCell = engine.liveCells(image).injection23.index();
    engine.requirement().set(FuelMap::Tp23, tpCell, 110);
    EXPECT_NEAR(lambdaMv(), 800, 1) << "cylinders 1 and 4 by default";
    engine.setTpLambdaMap(FuelMap::Tp23);
    EXPECT_LT(lambdaMv(), 700);
    engine.setTpLambdaMap(FuelMap::Iap);
    EXPECT_EQ(engine.tpLambdaMap(), FuelMap::Tp14) << "the IAP map is not a TP map";

    holdAt(3000, 20, 50, LoadMode::IntakePressure);
    engine.requirement().set(FuelMap::Iap, engine.lambdaCell(image).index(), 90);
    EXPECT_GT(lambdaMv(), 900);
}

TEST_F(EngineTest, NoiseIsBoundedAndRepeatsWithTheSeed)
{
    engine.setLambdaNoise(25, 7);
    Engine twin = engine;
    EXPECT_EQ(engine.state(image), engine.state(image)) << "looking does not take a reading";
    std::set<int> seen;
    for (int i = 0; i < 200; ++i) {
        const LiveState s = engine.sample(image);
        EXPECT_EQ(s.lambdaCount, twin.sample(image).lambdaCount);
        const int mv = link::sensorMv(s.lambdaCount);
        EXPECT_NEAR(mv, 800, 26);
        seen.insert(mv);
    }
    EXPECT_GE(seen.size(), 20u);
}

// --- faults --------------------------------------------------------------------------------

TEST_F(EngineTest, EveryFaultShowsInItsByte)
{
    const link::Frame healthy = reply();
    EXPECT_EQ(healthy[monitor::kServoInOrder], 1);
    EXPECT_EQ(healthy[monitor::kProgramVersion], 43);
    const std::uint16_t iapCount = link::word(healthy, monitor::kIntakePressureCount);
    EXPECT_GT(iapCount, 421);
    EXPECT_LT(iapCount, 4024);

    UnitFaults f;
    f.intakePressureCount = UnitFaults::kIntakeCountShorted;
    f.throttlePercent = UnitFaults::kThrottleOverrange;
    f.coolantSensor = true;
    f.airSensor = true;
    f.servo = true;
    f.storedData = true;
    f.programVersion = 42;
    f.speedAlarm1 = true;
    f.speedAlarm2 = true;
    f.blocking = true;
    engine.setFaults(f);
    const link::Frame r = reply();
    EXPECT_LT(link::word(r, monitor::kIntakePressureCount), 421);
    EXPECT_GT(r[monitor::kThrottlePercent], 100);
    EXPECT_EQ(r[monitor::kCoolant], 0);
    EXPECT_EQ(r[monitor::kAir], 0);
    EXPECT_EQ(r[monitor::kServoInOrder], 0);
    EXPECT_EQ(r[monitor::kStoredDataError], 1);
    EXPECT_EQ(r[monitor::kProgramVersion], 42);
    EXPECT_EQ(r[monitor::kSpeedAlarm1], 1);
    EXPECT_EQ(r[monitor::kSpeedAlarm2], 1);
    EXPECT_EQ(r[monitor::kBlocking], 1);
    EXPECT_EQ(link::word(r, monitor::kInjection14), link::word(healthy, monitor::kInjection14))
        << "faults are shown, not acted on";

    f = {};
    f.intakePressureCount = 4050;
    engine.setFaults(f);
    EXPECT_GT(link::word(reply(), monitor::kIntakePressureCount), 4024);
}

} // namespace
} // namespace velmora::sim
