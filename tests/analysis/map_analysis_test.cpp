#include "log_text.h"

#include "analysis/map_analysis.h"
#include "log/ride_log.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>

using namespace velmora;
using namespace velmora::analysis;
using velmora::test::LogRow;
using velmora::test::logText;
using velmora::test::steadyRows;

namespace {

using Verdicts = std::vector<std::optional<Filter>>;

// Model 0's defaults: speed axes 1000 ... 16000 rpm, every map cell 100, ACCEL 300 %/s.
DeviceImage baseSet()
{
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    return image;
}

log::RideLog parsed(const std::string &text)
{
    log::LogReadResult read = log::parseRideLog(text);
    EXPECT_EQ(read.problem, log::LogProblem::None) << read.detail;
    EXPECT_EQ(read.log->skippedRows, 0);
    return *read.log;
}

Verdicts verdictsOf(const std::vector<LogRow> &rows, const Settings &settings = {},
                    const DeviceImage &base = baseSet(), bool withLoad = true)
{
    return filterRows(parsed(logText(rows, withLoad)), base, settings);
}

// Rows `from`..`to` removed by `filter`, the others as `expected` has them.
void expectRange(Verdicts &expected, int from, int to, std::optional<Filter> filter)
{
    for (int i = from; i <= to; ++i)
        expected[static_cast<std::size_t>(i)] = filter;
}

// The first replies of a steady run are not yet steady.
Verdicts settled(std::size_t rows, int steadyRows = 3)
{
    Verdicts v(rows);
    expectRange(v, 0, steadyRows - 2, Filter::NotSteady);
    return v;
}

} // namespace

TEST(SensorCurve, InterpolatesBetweenPointsAndClampsAtTheEnds)
{
    const SensorCurve curve{{{100, 1.2}, {500, 1.0}, {900, 0.8}}};
    EXPECT_DOUBLE_EQ(curve.lambdaAt(300), 1.1);
    EXPECT_DOUBLE_EQ(curve.lambdaAt(700), 0.9);
    EXPECT_DOUBLE_EQ(curve.lambdaAt(0), 1.2);
    EXPECT_DOUBLE_EQ(curve.lambdaAt(2000), 0.8);
    // The default is steep around lambda 1: less than 2 % of lambda over 100 mV about 450 mV.
    const SensorCurve typical = SensorCurve::typicalNarrowBand();
    EXPECT_DOUBLE_EQ(typical.lambdaAt(450), 1.0);
    EXPECT_LT(typical.lambdaAt(400) - typical.lambdaAt(500), 0.03);
    EXPECT_GT(typical.lambdaAt(200), typical.lambdaAt(800));
}

TEST(SensorCurve, ParsesPointsPerLineAndRefusesWhatIsNoCurve)
{
    const auto curve = parseSensorCurve("# mV lambda\n100 1.2\n\n  500\t1.0\r\n900 0.8");
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->points,
              (std::vector<std::pair<double, double>>{{100, 1.2}, {500, 1.0}, {900, 0.8}}));
    EXPECT_FALSE(parseSensorCurve("100 1.2\n"));             // one point
    EXPECT_FALSE(parseSensorCurve("500 1.0\n100 1.2\n"));    // millivolts falling
    EXPECT_FALSE(parseSensorCurve("100 1.2\n100 1.0\n"));    // millivolts repeated
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 0\n"));      // lambda 0
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 1.0 3\n"));  // three numbers
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 1,0\n"));    // decimal comma
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 x\n"));
    EXPECT_FALSE(parseSensorCurve(""));
}

TEST(AnalysisFilters, ASteadyWarmRunIsTrustedOnceSteady)
{
    EXPECT_EQ(verdictsOf(steadyRows(8)), settled(8));
    Settings settings;
    settings.steadyRows = 5;
    EXPECT_EQ(verdictsOf(steadyRows(8), settings), settled(8, 5));
}

TEST(AnalysisFilters, ColdEngineBelowTheWarmThreshold)
{
    auto rows = steadyRows(8);
    rows[3].coolant = "69";
    rows[4].coolant = "70"; // at the threshold is warm
    rows[5].coolant = "-5";
    Verdicts expected = settled(8);
    expected[3] = expected[5] = Filter::Cold;
    EXPECT_EQ(verdictsOf(rows), expected);
}

TEST(AnalysisFilters, SensorAtItsRailsOrStuck)
{
    auto rows = steadyRows(20);
    rows[3].lambda = "50";  // at the low rail
    rows[4].lambda = "950"; // at the high rail
    rows[5].lambda = "949";
    rows[6].lambda = "51";
    // Ten equal readings in a row, every one of them; nine are still a live sensor.
    for (int i = 8; i < 18; ++i)
        rows[static_cast<std::size_t>(i)].lambda = "620";
    Verdicts expected = settled(20);
    expected[3] = expected[4] = Filter::SensorInactive;
    expectRange(expected, 8, 17, Filter::SensorInactive);
    EXPECT_EQ(verdictsOf(rows), expected);

    rows[17].lambda = "621";
    expectRange(expected, 8, 17, std::nullopt);
    EXPECT_EQ(verdictsOf(rows), expected);
}

TEST(AnalysisFilters, EveryAxisMustHoldItsCellForTheSteadyReplies)
{
    auto rows = steadyRows(16);
    // Speed to another point of the axes (4000 -> 6000 rpm), the throttle to another row (20 ->
    // 40 %), the intake pressure to another row (50 -> 70 %); a move inside a cell is steady.
    for (std::size_t i = 3; i < 16; ++i)
        rows[i].rpm = "6000";
    for (std::size_t i = 7; i < 16; ++i)
        rows[i].throttle = "40";
    for (std::size_t i = 11; i < 16; ++i)
        rows[i].intake = "70";
    rows[15].rpm = "6200";
    Verdicts expected = settled(16);
    expectRange(expected, 3, 4, Filter::NotSteady);
    expectRange(expected, 7, 8, Filter::NotSteady);
    expectRange(expected, 11, 12, Filter::NotSteady);
    EXPECT_EQ(verdictsOf(rows), expected);
}

TEST(AnalysisFilters, ThrottleRisingFasterThanAccelHoldsOff)
{
    DeviceImage base = baseSet();
    base[layout::kAccelThreshold] = 2; // 20 %/s
    auto rows = steadyRows(30);
    // 20 -> 21 % in 0.1 s is 10 %/s; then 21 -> 22 % is 10 %/s again: both slower than ACCEL.
    // 22 -> 25 % in 0.1 s (30 %/s) at row 12 holds off 0.95 s: rows 12..21. All in one cell.
    for (std::size_t i = 5; i < 30; ++i)
        rows[i].throttle = i < 8 ? "21" : i < 12 ? "22" : "25";
    Settings settings;
    settings.accelHoldOffSeconds = 0.95;
    Verdicts expected = settled(30);
    expectRange(expected, 12, 21, Filter::Acceleration);
    EXPECT_EQ(verdictsOf(rows, settings, base), expected);

    // A falling throttle is no enrichment.
    for (std::size_t i = 12; i < 30; ++i)
        rows[i].throttle = "16";
    EXPECT_EQ(verdictsOf(rows, settings, base), settled(30));
}

TEST(AnalysisFilters, InjectionAtItsLimits)
{
    auto rows = steadyRows(10);
    rows[3].duty = "90";
    rows[4].duty = "89";
    rows[5].injection14 = "0";
    rows[7].injection23 = "0";
    Verdicts expected = settled(10);
    expected[3] = expected[5] = expected[7] = Filter::InjectionLimit;
    EXPECT_EQ(verdictsOf(rows), expected);
}

TEST(AnalysisFilters, IdleBelowTheMinimumSpeed)
{
    // 1500 and 1499 rpm lie at the same speed point, so only the idle filter tells them apart.
    LogRow like;
    like.rpm = "1500";
    auto rows = steadyRows(8, 0, like);
    rows[4].rpm = "1499";
    Verdicts expected = settled(8);
    expected[4] = Filter::Idle;
    EXPECT_EQ(verdictsOf(rows), expected);
}

TEST(AnalysisFilters, ProgramAndTuningWritesHoldOff)
{
    auto rows = steadyRows(40);
    LogRow program, read, tuning;
    program.seconds = 0.55;
    program.event = "program: ok";
    read.seconds = 2.85;
    read.event = "read: ok"; // reading changes nothing in the unit
    tuning.seconds = 3.05;
    tuning.event = "tuning write: TP14 row 3 column 5 from 120 to 122";
    rows.insert(rows.begin() + 6, program);
    rows.insert(rows.begin() + 29, read);
    rows.insert(rows.begin() + 32, tuning);
    // Monitor rows 6..25 (0.6 .. 2.5 s) after the program, 31..39 (3.1 .. 3.9 s) after the
    // tuning write; the event rows are no monitor rows.
    Verdicts expected = settled(40);
    expectRange(expected, 6, 25, Filter::AfterWrite);
    expectRange(expected, 31, 39, Filter::AfterWrite);
    EXPECT_EQ(verdictsOf(rows), expected);
}

TEST(AnalysisFilters, RowsWithoutWhatTheAnalysisNeeds)
{
    // An older log without the load source: nothing says which map a row feeds.
    Verdicts all = settled(6);
    expectRange(all, 2, 5, Filter::NoCells);
    EXPECT_EQ(verdictsOf(steadyRows(6), {}, baseSet(), false), all);

    // Running on intake pressure with the intake sensor failed.
    LogRow like;
    like.load = "intake";
    like.intake = "error";
    EXPECT_EQ(verdictsOf(steadyRows(6, 0, like)), all);
    like.intake = "50";
    EXPECT_EQ(verdictsOf(steadyRows(6, 0, like)), settled(6));
}

TEST(AnalysisFilters, ARowCountsUnderTheFirstFilterItHitsAndTheCountsAddUp)
{
    auto rows = steadyRows(10);
    rows[4].coolant = "40";
    rows[4].duty = "95";
    rows[4].lambda = "20";
    rows[6].duty = "95";
    rows[6].rpm = "4100";
    const Analysis a = analyze(parsed(logText(rows)), baseSet(), {});
    EXPECT_EQ(a.rows, 10);
    EXPECT_EQ(a.removed[static_cast<std::size_t>(Filter::Cold)], 1);
    EXPECT_EQ(a.removed[static_cast<std::size_t>(Filter::SensorInactive)], 0);
    EXPECT_EQ(a.removed[static_cast<std::size_t>(Filter::InjectionLimit)], 1);
    EXPECT_EQ(a.removed[static_cast<std::size_t>(Filter::NotSteady)], 2);
    EXPECT_EQ(a.trusted, 6);
}

namespace {

Settings everyRow()
{
    Settings settings;
    settings.steadyRows = 1;
    settings.minWeight = 0;
    return settings;
}

LogRow at(int rpm, int throttle, int lambda, const char *load = "throttle", int intake = 50)
{
    LogRow row;
    row.rpm = std::to_string(rpm);
    row.throttle = std::to_string(throttle);
    row.lambda = std::to_string(lambda);
    row.load = load;
    row.intake = std::to_string(intake);
    return row;
}

} // namespace

TEST(AnalysisWeighting, ARowSplitsOverTheFourCellsAroundItsPoint)
{
    DeviceImage base = baseSet();
    // TP23's axis lies 500 rpm higher than TP14's: each map weighs on its own axis.
    for (std::size_t k = 0; k < 10; ++k)
        base[layout::kRpmJetTpi + k] = static_cast<std::uint8_t>(base[layout::kRpmJetTp + k] + 5);
    // 2250 rpm: a quarter of the way from 2000 to 3000 on TP14, three quarters from 1500 to
    // 2500 on TP23; 8 % of throttle: 0.6 of the way from the 5 % row (2) to the 10 % row (3).
    const Analysis a = analyze(parsed(logText({at(2250, 8, 500)})), base, everyRow());
    ASSERT_EQ(a.trusted, 1);
    const auto weight = [&](int map, int r, int c) { return a.maps[map][r][c].weight; };
    EXPECT_NEAR(weight(0, 2, 1), 0.4 * 0.75, 1e-12);
    EXPECT_NEAR(weight(0, 2, 2), 0.4 * 0.25, 1e-12);
    EXPECT_NEAR(weight(0, 3, 1), 0.6 * 0.75, 1e-12);
    EXPECT_NEAR(weight(0, 3, 2), 0.6 * 0.25, 1e-12);
    EXPECT_NEAR(weight(1, 2, 0), 0.4 * 0.25, 1e-12);
    EXPECT_NEAR(weight(1, 2, 1), 0.4 * 0.75, 1e-12);
    EXPECT_NEAR(weight(1, 3, 0), 0.6 * 0.25, 1e-12);
    EXPECT_NEAR(weight(1, 3, 1), 0.6 * 0.75, 1e-12);
    for (int map = 0; map < kMaps; ++map) {
        int visited = 0;
        double sum = 0;
        for (const auto &row : a.maps[map])
            for (const CellProposal &cell : row) {
                visited += cell.visited;
                sum += cell.weight;
            }
        EXPECT_EQ(visited, map == 2 ? 0 : 4) << map; // a throttle row never feeds IAP
        EXPECT_NEAR(sum, map == 2 ? 0 : 1, 1e-12) << map;
    }
}

TEST(AnalysisWeighting, IntakeRowsFeedIapAndTheAxisEndsClamp)
{
    Settings settings = everyRow();
    settings.minRpm = 0;
    // 35 % intake halfway between the 30 % and 40 % rows, 16500 rpm beyond the last point;
    // 500 rpm and 5 % intake below the first points.
    const Analysis a = analyze(
        parsed(logText({at(16500, 20, 500, "intake", 35), at(500, 20, 700, "intake", 5)})),
        baseSet(), settings);
    const MapCells &iap = a.maps[2];
    EXPECT_DOUBLE_EQ(iap[2][9].weight, 0.5);
    EXPECT_DOUBLE_EQ(iap[3][9].weight, 0.5);
    EXPECT_DOUBLE_EQ(iap[0][0].weight, 1.0);
    EXPECT_DOUBLE_EQ(iap[0][0].meanLambdaMv, 700);
    EXPECT_FALSE(a.maps[0][0][0].visited);
    EXPECT_FALSE(a.maps[1][2][9].visited);
}

TEST(AnalysisWeighting, MeansAreWeightedAndUnchosenMapsStayEmpty)
{
    // The 3000 rpm point takes a whole row at 300 mV; 2500 rpm puts half of a 600 mV row on it.
    Settings settings = everyRow();
    settings.maps = {false, true, true};
    const Analysis a = analyze(parsed(logText({at(3000, 20, 300), at(2500, 20, 600)})),
                               baseSet(), settings);
    const CellProposal &cell = a.maps[1][4][2];
    EXPECT_DOUBLE_EQ(cell.weight, 1.5);
    EXPECT_DOUBLE_EQ(cell.meanLambdaMv, (300 + 0.5 * 600) / 1.5);
    const SensorCurve curve = SensorCurve::typicalNarrowBand();
    EXPECT_NEAR(cell.meanLambda, (curve.lambdaAt(300) + 0.5 * curve.lambdaAt(600)) / 1.5, 1e-12);
    for (const auto &row : a.maps[0])
        for (const CellProposal &c : row)
            EXPECT_FALSE(c.visited);
}
