#include "log_text.h"

#include "analysis/map_analysis.h"
#include "link/live_points.h"
#include "log/ride_log.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>

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

namespace {

// A base set whose TUNING target is 450 mV +- 20 mV: lambda 1.00 on the default curve.
DeviceImage stoichiometricBase()
{
    DeviceImage base = baseSet();
    base[layout::kTuningLambda] = 45;
    base[layout::kTuningHyster] = 2;
    return base;
}

// The reading the default curve turns into `lambda`, within its ends.
int readingFor(double lambda)
{
    const auto &p = SensorCurve::typicalNarrowBand().points;
    lambda = std::clamp(lambda, p.back().second, p.front().second);
    for (std::size_t k = 0; k + 1 < p.size(); ++k) {
        if (lambda <= p[k].second && lambda >= p[k + 1].second) {
            const double f = (p[k].second - lambda) / (p[k].second - p[k + 1].second);
            return static_cast<int>(std::lround(p[k].first + f * (p[k + 1].first - p[k].first)));
        }
    }
    return 450;
}

// `count` replies held at the axis points of TP14/TP23 cell (row, column) of `base`, the
// reading wobbling by a millivolt so that the sensor looks alive.
void holdCell(std::vector<LogRow> &rows, const DeviceImage &base, int row, int column, int mv,
              int count = 5)
{
    for (int i = 0; i < count; ++i) {
        LogRow r = at(base[layout::kRpmJetTp + static_cast<std::size_t>(column)] * 100,
                      link::kTpRowOpenings[static_cast<std::size_t>(row)], mv + i % 2);
        r.seconds = rows.empty() ? 0 : rows.back().seconds + 0.1;
        rows.push_back(r);
    }
}

std::uint8_t &tp14(DeviceImage &image, int row, int column)
{
    return image[layout::kJetTp + static_cast<std::size_t>(10 * row + column)];
}

} // namespace

TEST(AnalysisEstimate, EveryVisitedCellMovesTowardsAHiddenFieldByAtMostTheCap)
{
    DeviceImage base = stoichiometricBase();
    std::mt19937 rng(19);
    std::uniform_real_distribution<double> requirement(0.85, 1.15);
    std::array<std::array<double, 10>, 10> target{}; // the byte that would give lambda 1
    std::vector<LogRow> rows;
    for (int r = 0; r < 10; ++r) {
        for (int c = 0; c < 10; ++c) {
            tp14(base, r, c) = 100;
            base[layout::kJetTpi + static_cast<std::size_t>(10 * r + c)] = 100;
            target[r][c] = 100 * requirement(rng);
            holdCell(rows, base, r, c, readingFor(target[r][c] / 100));
        }
    }
    Settings settings;
    settings.capSteps = 4;
    const Analysis a = analyze(parsed(logText(rows)), base, settings);
    int visited = 0, moved = 0;
    for (int map = 0; map < 2; ++map) {
        for (int r = 0; r < 10; ++r) {
            for (int c = 0; c < 10; ++c) {
                const CellProposal &cell = a.maps[map][r][c];
                EXPECT_EQ(cell.visited, c > 0) << "1000 rpm is idle"; // the first speed point
                if (!cell.visited)
                    continue;
                ++visited;
                ASSERT_TRUE(cell.estimated);
                EXPECT_DOUBLE_EQ(cell.weight, 3.0);
                const int change = cell.proposed - cell.current;
                const double wanted = target[r][c] - cell.current;
                EXPECT_LE(std::abs(change), 4) << r << ',' << c;
                if (std::abs(cell.meanLambdaMv - 450) <= 20) {
                    EXPECT_EQ(change, 0) << r << ',' << c;
                    continue;
                }
                ++moved;
                EXPECT_GT(change * wanted, 0) << r << ',' << c << " target " << target[r][c];
                EXPECT_LE(std::abs(change), std::ceil(std::abs(wanted))) << r << ',' << c;
            }
        }
    }
    EXPECT_EQ(visited, 180);
    EXPECT_GT(moved, 150); // the field is wide: few cells lie inside the band by chance
}

TEST(AnalysisEstimate, ScalesByLambdaOutsideTheBandOnlyWithEnoughWeight)
{
    DeviceImage base = stoichiometricBase();
    tp14(base, 2, 1) = 100; // lean at 300 mV: lambda 1.03
    tp14(base, 2, 2) = 100; // 460 mV: inside 450 +- 20
    tp14(base, 2, 3) = 50;  // 420 mV: lambda 1.006, 50.3 rounds back to 50
    tp14(base, 2, 4) = 248; // 100 mV: lambda 1.10 and more, capped, then clamped
    tp14(base, 2, 5) = 100; // rich at 800 mV: lambda 0.92, capped
    tp14(base, 2, 6) = 100; // lean but only two trusted replies
    std::vector<LogRow> rows;
    for (const auto &[column, mv] : std::vector<std::pair<int, int>>{
             {1, 300}, {2, 460}, {3, 420}, {4, 100}, {5, 800}})
        holdCell(rows, base, 2, column, mv, 5);
    holdCell(rows, base, 2, 6, 300, 4);
    for (LogRow &row : rows) // no wobble: the readings as written above
        row.lambda = std::to_string(std::stoi(row.lambda) / 10 * 10);
    const Analysis a = analyze(parsed(logText(rows)), base, Settings{});
    const auto &cells = a.maps[0][2];
    EXPECT_EQ(a.targetMv, 450);
    EXPECT_EQ(a.toleranceMv, 20);
    EXPECT_DOUBLE_EQ(a.targetLambda, 1.0);
    EXPECT_EQ(cells[1].proposed, 103);
    EXPECT_NEAR(cells[1].changePercent(), 3.0, 1e-12);
    EXPECT_TRUE(cells[2].estimated);
    EXPECT_EQ(cells[2].proposed, 100);
    EXPECT_FALSE(cells[2].proposes());
    EXPECT_EQ(cells[3].proposed, 51); // at least one step towards the target
    EXPECT_EQ(cells[4].proposed, 250);
    EXPECT_EQ(cells[5].proposed, 94);
    EXPECT_NEAR(cells[5].changePercent(), -6.0, 1e-12);
    EXPECT_TRUE(cells[6].visited);
    EXPECT_FALSE(cells[6].estimated);
    EXPECT_DOUBLE_EQ(cells[6].weight, 2.0);
    EXPECT_EQ(cells[6].proposed, 100);
}

namespace {

CellProposal proposal(int current, int proposed, bool estimated = true)
{
    CellProposal cell;
    cell.visited = true;
    cell.estimated = estimated;
    cell.weight = estimated ? 5 : 1;
    cell.current = current;
    cell.proposed = proposed;
    return cell;
}

} // namespace

TEST(AnalysisReview, CapLimitsChangesBothWays)
{
    MapCells cells{};
    cells[0][0] = proposal(100, 110);
    cells[0][1] = proposal(100, 91);
    cells[0][2] = proposal(100, 102);
    capChanges(cells, 3);
    EXPECT_EQ(cells[0][0].proposed, 103);
    EXPECT_EQ(cells[0][1].proposed, 97);
    EXPECT_EQ(cells[0][2].proposed, 102);
    capChanges(cells, 0);
    EXPECT_FALSE(cells[0][0].proposes() || cells[0][1].proposes() || cells[0][2].proposes());
}

TEST(AnalysisReview, SmoothingBlendsAChangeWithItsEstimatedNeighbours)
{
    MapCells cells{};
    cells[5][5] = proposal(100, 106);
    cells[5][4] = proposal(100, 100);       // on target: a change of 0
    cells[5][6] = proposal(80, 82);         // +2
    cells[6][5] = proposal(100, 100, false); // too light to count
    cells[0][0] = proposal(100, 97);         // -3, nobody around
    cells[0][5] = proposal(100, 97);         // -3 beside a 0
    cells[0][4] = proposal(100, 100);
    smoothWithNeighbours(cells);
    EXPECT_EQ(cells[5][5].proposed, 104); // (6 + (0 + 2) / 2) / 2 = 3.5, half away from zero
    EXPECT_EQ(cells[5][6].proposed, 84);  // (2 + 6) / 2 from the changes before smoothing
    EXPECT_EQ(cells[5][4].proposed, 100); // a cell on target stays
    EXPECT_EQ(cells[0][0].proposed, 97);
    EXPECT_EQ(cells[0][5].proposed, 98); // -1.5 -> -2
}

TEST(AnalysisReview, ApplyWritesExactlyTheProposalsNotExcluded)
{
    DeviceImage base = stoichiometricBase();
    std::vector<LogRow> rows;
    holdCell(rows, base, 2, 1, 300);
    holdCell(rows, base, 2, 2, 800);
    holdCell(rows, base, 2, 3, 450);
    const Analysis a = analyze(parsed(logText(rows)), base, Settings{});
    Exclusions excluded{};
    excluded[1][2][1] = true; // TP23's lean cell
    DeviceImage image = base;
    EXPECT_EQ(applyProposals(a, excluded, image), 3);
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        if (image[i] != base[i])
            changed.push_back(i);
    const std::size_t tp14 = layout::kJetTp + 21, tp23 = layout::kJetTpi + 21;
    EXPECT_EQ(changed, (std::vector<std::size_t>{tp14, tp14 + 1, tp23 + 1}));
    EXPECT_EQ(image[tp14], a.maps[0][2][1].proposed);
    EXPECT_GT(image[tp14], base[tp14]);
    EXPECT_LT(image[tp14 + 1], base[tp14 + 1]);
    EXPECT_EQ(image[tp23 + 1], a.maps[1][2][2].proposed);
    // Applying again changes nothing more.
    EXPECT_EQ(applyProposals(a, excluded, image), 0);
}

TEST(AnalysisReview, ReportListsVisitedCellsAndFilterCountsInTheLanguage)
{
    DeviceImage base = stoichiometricBase();
    tp14(base, 2, 1) = 100;
    std::vector<LogRow> rows;
    holdCell(rows, base, 2, 1, 300);
    rows[3].coolant = "20";
    for (LogRow &row : rows)
        row.lambda = row.lambda == "301" ? "299" : row.lambda;
    Settings settings;
    settings.maps = {true, false, false};
    settings.minWeight = 2;
    const Analysis a = analyze(parsed(logText(rows)), base, settings);
    const std::string english = report(a, settings, 1);
    EXPECT_NE(english.find("Target 450 mV ± 20 mV (lambda 1.000)\n"), std::string::npos)
        << english;
    EXPECT_NE(english.find("map\trow\tcolumn\tcurrent\tproposed\tchange [%]\tweight\n"
                           "TP14\t2\t1\t100\t103\t+3.0\t2.00\n"
                           "Proposals: 1 of 1 visited cells\n"
                           "Monitor rows: 5, trusted: 2\n"),
              std::string::npos)
        << english;
    EXPECT_NE(english.find("  engine cold (coolant below 70 °C)\t1\n"), std::string::npos);
    EXPECT_NE(english.find("  operating point not steady (fewer than 3 replies in the same "
                           "cells)\t2\n"),
              std::string::npos);
    const std::string german = report(a, settings, 2);
    EXPECT_NE(german.find("Kennfeld\tZeile\tSpalte"), std::string::npos);
    EXPECT_NE(german.find("Motor kalt (Kühlmittel unter 70 °C)\t1\n"), std::string::npos);

    const Analysis none = analyze(parsed(logText(steadyRows(2))), base, settings);
    EXPECT_NE(report(none, settings, 0).find("Žádná buňka nebyla navštívena.\n"),
              std::string::npos);
}
