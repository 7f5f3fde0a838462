#include "sim/engine.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace velmora::sim {
namespace {

using namespace std::chrono_literals;

OperatingPoint at(std::uint16_t rpm, std::uint8_t throttle = 0)
{
    OperatingPoint p;
    p.rpm = rpm;
    p.throttlePercent = throttle;
    return p;
}

TEST(EngineSchedule, ScriptStepsLastTheirDurationAndTheLastOneHolds)
{
    const EngineSchedule s =
        EngineSchedule::scripted({{{at(1000), 500ms}, {at(2000), 0ms}, {at(3000), 1000ms}}});
    EXPECT_EQ(s.at(0ms).rpm, 1000);
    EXPECT_EQ(s.at(499999us).rpm, 1000);
    EXPECT_EQ(s.at(500ms).rpm, 3000) << "a step of no duration is passed over";
    EXPECT_EQ(s.at(1499ms).rpm, 3000);
    EXPECT_EQ(s.at(1h).rpm, 3000);
}

TEST(EngineSchedule, RepeatedScriptStartsOver)
{
    const EngineSchedule s = EngineSchedule::scripted({{{at(1000), 1s}, {at(2000), 1s}}, true});
    EXPECT_EQ(s.at(1s).rpm, 2000);
    EXPECT_EQ(s.at(2s).rpm, 1000);
    EXPECT_EQ(s.at(7500ms).rpm, 2000);
    EXPECT_EQ(EngineSchedule::scripted({}).at(1s), OperatingPoint{}) << "an empty script idles";
}

TEST(EngineSchedule, SweepRampsThereAndBackAndKeepsTheRestOfItsStart)
{
    Sweep sweep{at(2000, 10), at(4000, 30), 10s};
    sweep.from.coolantCelsius = 40;
    sweep.to.coolantCelsius = 100;
    const EngineSchedule s = EngineSchedule::swept(sweep);
    EXPECT_EQ(s.at(0s), sweep.from);
    EXPECT_EQ(s.at(2500ms).rpm, 2500);
    EXPECT_EQ(s.at(2500ms).throttlePercent, 15);
    EXPECT_EQ(s.at(10s).rpm, 4000);
    EXPECT_EQ(s.at(10s).coolantCelsius, 40) << "only speed and load ramp";
    EXPECT_EQ(s.at(17500ms).rpm, 2500) << "on the way back";
    EXPECT_EQ(s.at(20s).rpm, 2000);
    EXPECT_EQ(s.at(42500ms).rpm, 2500);
    EXPECT_EQ(EngineSchedule::swept({at(2000), at(4000), 0ms}).at(5s).rpm, 2000);
}

TEST(EngineSchedule, EngineMovesOnlyWithTheTimeItIsGiven)
{
    Engine engine(EngineSchedule::swept({at(1000), at(3000), 2s}));
    EXPECT_EQ(engine.point().rpm, 1000);
    engine.advance(500ms);
    engine.advance(500ms);
    EXPECT_EQ(engine.point().rpm, 2000);
    engine.advance(-1s);
    EXPECT_EQ(engine.elapsed(), 1s) << "time does not run backwards";

    engine.hold(at(6000));
    EXPECT_EQ(engine.elapsed(), 0s);
    engine.advance(1h);
    EXPECT_EQ(engine.point().rpm, 6000);
}

TEST(EngineSchedule, IdleDriftsAndTheDemoRideCrossesCells)
{
    const std::array<std::uint8_t, 10> axis{10, 20, 30, 40, 60, 80, 100, 120, 140, 160};
    const EngineSchedule idle = EngineSchedule::swept(idleDrift());
    const EngineSchedule ride = EngineSchedule::swept(demoRide());
    std::set<std::size_t> idleRpm;
    std::set<std::size_t> rideCells;
    for (EngineTime t{0}; t < 120s; t += 700ms) {
        const OperatingPoint p = idle.at(t);
        EXPECT_GE(p.rpm, 1200) << t.count();
        EXPECT_LE(p.rpm, 1500) << t.count();
        idleRpm.insert(p.rpm);
        const OperatingPoint q = ride.at(t);
        rideCells.insert(10 * throttleRow(q.throttlePercent) + speedPoint(axis, q.rpm));
    }
    EXPECT_GE(idleRpm.size(), 10u);
    EXPECT_GE(rideCells.size(), 6u);
}

} // namespace
} // namespace velmora::sim
