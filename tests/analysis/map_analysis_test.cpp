#include "log_text.h"

#include "analysis/map_analysis.h"
#include "link/live_points.h"
#include "log/ride_log.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <random>
#include <tuple>

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

// Rows `from`..`to` removed by `filter`, the others as `expected` has them.
void expectRange(Verdicts &expected, int from, int to, std::optional<Filter> filter)
{
    for (int i = from; i <= to; ++i)
        expected[static_cast<std::size_t>(i)] = filter;
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
    EXPECT_FALSE(parseSensorCurve("100 1.2\n"));            // one point
    EXPECT_FALSE(parseSensorCurve("500 1.0\n100 1.2\n"));   // millivolts falling
    EXPECT_FALSE(parseSensorCurve("100 1.2\n100 1.0\n"));   // millivolts repeated
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 0\n"));     // lambda 0
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 1.0 3\n")); // three numbers
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 1,0\n"));   // decimal comma
    EXPECT_FALSE(parseSensorCurve("100 1.2\n500 x\n"));
    EXPECT_FALSE(parseSensorCurve(""));
}

// Each filter on a steady, warm run of replies a tenth of a second apart (lambda alternating so the
// sensor looks alive): what the case changes, and the rows it must remove, all others trusted
// once the run is steady.
struct FilterCase {
    const char *what;
    int rows;
    std::function<void(std::vector<LogRow> &, Settings &, DeviceImage &)> change;
    std::vector<std::tuple<int, int, Filter>> removed; // first and last row, the filter
    bool withLoad = true;
};

TEST(AnalysisFilters, EachFilterRemovesExactlyItsRows)
{
    const auto set = [](std::vector<LogRow> &rows, int from, int to, std::string LogRow::*field,
                        const char *value) {
        for (int i = from; i <= to; ++i)
            rows[static_cast<std::size_t>(i)].*field = value;
    };
    const std::vector<FilterCase> cases{
        {"steady", 8, [](auto &, auto &, auto &) {}, {}},
        {"steady for 5",
         8,
         [](auto &, Settings &s, auto &) { s.steadyRows = 5; },
         {{2, 3, Filter::NotSteady}}},
        {"cold below 70 °C, 70 is warm",
         8,
         [&](auto &r, auto &, auto &) {
             set(r, 3, 3, &LogRow::coolant, "69");
             set(r, 4, 4, &LogRow::coolant, "70");
             set(r, 5, 5, &LogRow::coolant, "-5");
         },
         {{3, 3, Filter::Cold}, {5, 5, Filter::Cold}}},
        {"rails at 50 and 950 mV; ten equal readings, not nine",
         30,
         [&](auto &r, auto &, auto &) {
             set(r, 3, 3, &LogRow::lambda, "50");
             set(r, 4, 4, &LogRow::lambda, "950");
             set(r, 5, 5, &LogRow::lambda, "949");
             set(r, 6, 6, &LogRow::lambda, "51");
             set(r, 8, 17, &LogRow::lambda, "620");
             set(r, 19, 27, &LogRow::lambda, "640");
         },
         {{3, 4, Filter::SensorInactive}, {8, 17, Filter::SensorInactive}}},
        // 4000 -> 6000 rpm, 20 -> 40 % throttle, 50 -> 70 % intake each change a cell; 6200
        // rpm stays at the 6000 rpm point.
        {"every axis holds its cell",
         16,
         [&](auto &r, auto &, auto &) {
             set(r, 3, 15, &LogRow::rpm, "6000");
             set(r, 7, 15, &LogRow::throttle, "40");
             set(r, 11, 15, &LogRow::intake, "70");
             set(r, 15, 15, &LogRow::rpm, "6200");
         },
         {{3, 4, Filter::NotSteady}, {7, 8, Filter::NotSteady}, {11, 12, Filter::NotSteady}}},
        // ACCEL 20 %/s: 20 -> 21 -> 22 % (10 %/s) pass, 22 -> 25 % (30 %/s) at row 12 holds
        // off 0.95 s; a falling throttle (25 -> 16 %, row 25) is no enrichment. One cell all along.
        {"throttle faster than ACCEL and the hold-off",
         30,
         [&](auto &r, Settings &s, DeviceImage &base) {
             base[layout::kAccelThreshold] = 2;
             s.accelHoldOffSeconds = 0.95;
             set(r, 5, 7, &LogRow::throttle, "21");
             set(r, 8, 11, &LogRow::throttle, "22");
             set(r, 12, 24, &LogRow::throttle, "25");
             set(r, 25, 29, &LogRow::throttle, "16");
         },
         {{12, 21, Filter::Acceleration}}},
        {"duty from 90 %, an injection time of 0",
         10,
         [&](auto &r, auto &, auto &) {
             set(r, 3, 3, &LogRow::duty, "90");
             set(r, 4, 4, &LogRow::duty, "89");
             set(r, 5, 5, &LogRow::injection14, "0");
             set(r, 7, 7, &LogRow::injection23, "0");
         },
         {{3, 3, Filter::InjectionLimit},
          {5, 5, Filter::InjectionLimit},
          {7, 7, Filter::InjectionLimit}}},
        // 1500 and 1499 rpm share a speed point: only the idle filter tells them apart.
        {"idle below 1500 rpm",
         8,
         [&](auto &r, auto &, auto &) {
             set(r, 0, 7, &LogRow::rpm, "1500");
             set(r, 4, 4, &LogRow::rpm, "1499");
         },
         {{4, 4, Filter::Idle}}},
        // A program at 0.55 s holds off to 2.55 s, a tuning write at 3.05 s to the end; a read
        // (3.0 s) changes nothing in the unit. Event rows are no monitor rows.
        {"hold-off after program and tuning write",
         40,
         [](auto &r, auto &, auto &) {
             const auto event = [](double seconds, const char *text) {
                 LogRow row;
                 row.seconds = seconds;
                 row.event = text;
                 return row;
             };
             r.insert(r.begin() + 31, event(3.05, "tuning write: TP14 row 3 column 5 from 1 to 2"));
             r.insert(r.begin() + 30, event(2.95, "read: ok"));
             r.insert(r.begin() + 6, event(0.55, "program: ok"));
         },
         {{6, 25, Filter::AfterWrite}, {31, 39, Filter::AfterWrite}}},
        {"intake load with the intake sensor failed",
         6,
         [&](auto &r, auto &, auto &) {
             set(r, 0, 5, &LogRow::load, "intake");
             set(r, 0, 5, &LogRow::intake, "error");
         },
         {{2, 5, Filter::NoCells}}},
        {"an older log without the load source",
         6,
         [](auto &, auto &, auto &) {},
         {{2, 5, Filter::NoCells}},
         false},
    };
    for (const FilterCase &c : cases) {
        std::vector<LogRow> rows = steadyRows(c.rows);
        Settings settings;
        DeviceImage base = baseSet();
        c.change(rows, settings, base);
        Verdicts expected(static_cast<std::size_t>(c.rows));
        expectRange(expected, 0, 1, Filter::NotSteady);
        for (const auto &[from, to, filter] : c.removed)
            expectRange(expected, from, to, filter);
        EXPECT_EQ(filterRows(parsed(logText(rows, c.withLoad)), base, settings), expected)
            << c.what;
    }
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
    const Analysis a =
        analyze(parsed(logText({at(16500, 20, 500, "intake", 35), at(500, 20, 700, "intake", 5)})),
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
    const Analysis a =
        analyze(parsed(logText({at(3000, 20, 300), at(2500, 20, 600)})), baseSet(), settings);
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
    tp14(base, 2, 1) = 100; // lean at 300 mV: lambda 1.017
    tp14(base, 2, 2) = 100; // 460 mV: inside 450 +- 20
    tp14(base, 2, 3) = 50;  // 420 mV: lambda 1.006, 50.3 rounds back to 50
    tp14(base, 2, 4) = 248; // 100 mV: lambda 1.05 and more, capped, then clamped
    tp14(base, 2, 5) = 100; // rich at 800 mV: lambda 0.97
    tp14(base, 2, 6) = 100; // lean but only two trusted replies
    std::vector<LogRow> rows;
    for (const auto &[column, mv] :
         std::vector<std::pair<int, int>>{{1, 300}, {2, 460}, {3, 420}, {4, 100}, {5, 800}})
        holdCell(rows, base, 2, column, mv, 5);
    holdCell(rows, base, 2, 6, 300, 4);
    for (LogRow &row : rows) // no wobble: the readings as written above
        row.lambda = std::to_string(std::stoi(row.lambda) / 10 * 10);
    const Analysis a = analyze(parsed(logText(rows)), base, Settings{});
    const auto &cells = a.maps[0][2];
    EXPECT_EQ(a.targetMv, 450);
    EXPECT_EQ(a.toleranceMv, 20);
    EXPECT_DOUBLE_EQ(a.targetLambda, 1.0);
    EXPECT_EQ(cells[1].proposed, 102);
    EXPECT_NEAR(cells[1].changePercent(), 2.0, 1e-12);
    EXPECT_TRUE(cells[2].estimated);
    EXPECT_EQ(cells[2].proposed, 100);
    EXPECT_FALSE(cells[2].proposes());
    EXPECT_EQ(cells[3].proposed, 51); // at least one step towards the target
    EXPECT_EQ(cells[4].proposed, 250);
    EXPECT_EQ(cells[5].proposed, 97);
    EXPECT_NEAR(cells[5].changePercent(), -3.0, 1e-12);
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
    cells[5][4] = proposal(100, 100);        // on target: a change of 0
    cells[5][6] = proposal(80, 82);          // +2
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
