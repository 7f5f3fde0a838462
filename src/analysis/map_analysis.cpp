#include "map_analysis.h"

#include "analysis_texts.h"

#include "link/live_points.h"
#include "log/log_format.h"
#include "model/image_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace velmora::analysis {
namespace {

using namespace layout;

constexpr int kMaxByte = 250;
constexpr std::array<std::size_t, kMaps> kSpeedAxis{kRpmJetTp, kRpmJetTpi, kRpmJetIap};
// The intake rows stand for 10, 20 ... 100 % of intake pressure.
constexpr std::array<double, kCells> kIapRowPressures{10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
// Far beyond any real speed; keeps a damaged value from overflowing the conversion to int.
constexpr double kRpmCeiling = 1e6;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The two axis points around `x` and how far `x` lies from the lower one (0..1); both points
// the end point beyond the ends of the axis. An axis that does not rise gives the first point
// whose segment holds `x`, else its nearest end.
struct AxisSpan {
    int low = 0;
    int high = 0;
    double fraction = 0;
};

template <typename Axis> AxisSpan locate(const Axis &axis, double x)
{
    const int last = static_cast<int>(axis.size()) - 1;
    if (x <= axis[0])
        return {0, 0, 0};
    if (x >= axis[static_cast<std::size_t>(last)])
        return {last, last, 0};
    for (int k = 0; k < last; ++k) {
        const double a = axis[static_cast<std::size_t>(k)];
        const double b = axis[static_cast<std::size_t>(k) + 1];
        if (a <= x && x < b)
            return {k, k + 1, (x - a) / (b - a)};
    }
    return x - axis[0] < axis[static_cast<std::size_t>(last)] - x ? AxisSpan{0, 0, 0}
                                                                  : AxisSpan{last, last, 0};
}

// A column's values, or none where the log lacks the column.
class Column {
public:
    Column(const log::RideLog &log, std::string_view name)
    {
        const int index = log.column(name);
        if (index >= 0)
            m_values = &log.values[static_cast<std::size_t>(index)];
    }
    double operator[](std::size_t row) const { return m_values ? (*m_values)[row] : kNaN; }

private:
    const std::vector<double> *m_values = nullptr;
};

struct LogColumns {
    explicit LogColumns(const log::RideLog &log)
        : rpm(log, "rpm [rpm]"), throttle(log, "throttle [%]"), lambda(log, "lambda [mV]"),
          coolant(log, "coolant [°C]"), intake(log, "intake pressure [%]"),
          injection14(log, "injection time 14 [us]"), injection23(log, "injection time 23 [us]"),
          duty(log, "duty [%]"), load(log, "load [source]")
    {}
    Column rpm, throttle, lambda, coolant, intake, injection14, injection23, duty, load;
};

bool known(double value)
{
    return !std::isnan(value);
}

int wholeOf(double value, double ceiling)
{
    return static_cast<int>(std::clamp(value, 0.0, ceiling));
}

// Rows inside a run of `length` or more equal lambda readings.
std::vector<bool> stuckRows(const Column &lambda, std::size_t rows, int length)
{
    std::vector<bool> stuck(rows, false);
    std::size_t start = 0;
    while (start < rows) {
        std::size_t end = start + 1;
        if (known(lambda[start])) {
            while (end < rows && lambda[end] == lambda[start])
                ++end;
            if (end - start >= static_cast<std::size_t>(std::max(length, 1)))
                std::fill(stuck.begin() + static_cast<std::ptrdiff_t>(start),
                          stuck.begin() + static_cast<std::ptrdiff_t>(end), true);
        }
        start = end;
    }
    return stuck;
}

// Rows that have been at the same nearest point of every axis for at least `length` replies.
std::vector<bool> steadyRows(const LogColumns &c, const DeviceImage &base, std::size_t rows,
                             int length)
{
    std::vector<bool> steady(rows, false);
    std::array<int, kMaps + 2> previous{};
    int run = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        std::array<int, kMaps + 2> point{};
        const double rpm = c.rpm[i];
        for (std::size_t m = 0; m < kMaps; ++m)
            point[m] = known(rpm) ? link::nearestSpeedPoint(base.run(kSpeedAxis[m], kCurvePoints),
                                                            wholeOf(rpm, kRpmCeiling))
                                  : -1;
        point[kMaps] = known(c.throttle[i]) ? link::tpRowOf(wholeOf(c.throttle[i], 255)) : -1;
        point[kMaps + 1] = known(c.intake[i]) ? link::iapRowOf(wholeOf(c.intake[i], 255)) : -1;
        run = i > 0 && point == previous ? run + 1 : 1;
        previous = point;
        steady[i] = run >= length;
    }
    return steady;
}

// Rows from a throttle rise faster than `percentPerSecond` up to `holdOff` seconds after it.
// Two replies with the same time give no rate and leave the verdict as it was.
std::vector<bool> acceleratingRows(const LogColumns &c, const std::vector<double> &seconds,
                                   double percentPerSecond, double holdOff)
{
    std::vector<bool> accelerating(seconds.size(), false);
    double holdUntil = -std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < seconds.size(); ++i) {
        const double dt = seconds[i] - seconds[i - 1];
        const double rise = c.throttle[i] - c.throttle[i - 1];
        if (dt > 0 && known(rise) && rise / dt > percentPerSecond)
            holdUntil = seconds[i] + holdOff;
        accelerating[i] = seconds[i] <= holdUntil;
    }
    return accelerating;
}

bool startsHoldOff(const log::LogEvent &event)
{
    return event.text.starts_with("program:") || event.text.starts_with("tuning write:");
}

// Rows at or up to `holdOff` seconds after a program or tuning write event.
std::vector<bool> afterWriteRows(const log::RideLog &log, double holdOff)
{
    std::vector<double> writes;
    for (const log::LogEvent &event : log.events)
        if (startsHoldOff(event))
            writes.push_back(event.seconds);
    std::sort(writes.begin(), writes.end());
    std::vector<bool> after(log.seconds.size(), false);
    std::size_t next = 0;
    for (std::size_t i = 0; i < log.seconds.size(); ++i) {
        const double t = log.seconds[i];
        while (next < writes.size() && writes[next] + holdOff < t)
            ++next;
        after[i] = next < writes.size() && writes[next] <= t;
    }
    return after;
}

struct CellSums {
    double weight = 0;
    double mv = 0;
    double lambda = 0;
};
using MapSums = std::array<std::array<CellSums, kCells>, kCells>;

void spread(MapSums &sums, const AxisSpan &rows, const AxisSpan &columns, double mv, double lambda)
{
    const std::array<std::pair<int, double>, 2> r{
        {{rows.low, 1 - rows.fraction}, {rows.high, rows.fraction}}};
    const std::array<std::pair<int, double>, 2> k{
        {{columns.low, 1 - columns.fraction}, {columns.high, columns.fraction}}};
    for (const auto &[row, rowWeight] : r) {
        for (const auto &[column, columnWeight] : k) {
            const double w = rowWeight * columnWeight;
            if (w <= 0)
                continue;
            CellSums &cell = sums[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
            cell.weight += w;
            cell.mv += w * mv;
            cell.lambda += w * lambda;
        }
    }
}

int clampByte(long value)
{
    return static_cast<int>(std::clamp<long>(value, 0, kMaxByte));
}

void estimate(CellProposal &cell, const Analysis &analysis, const Settings &settings)
{
    if (cell.weight < settings.minWeight)
        return;
    cell.estimated = true;
    const bool lean = cell.meanLambdaMv < analysis.targetMv - analysis.toleranceMv;
    const bool rich = cell.meanLambdaMv > analysis.targetMv + analysis.toleranceMv;
    if (!lean && !rich)
        return;
    long proposed = std::lround(cell.current * cell.meanLambda / analysis.targetLambda);
    // The curve may be flat where the reading lies; the reading still says which way to go.
    if (lean)
        proposed = std::max<long>(proposed, cell.current + 1);
    else
        proposed = std::min<long>(proposed, cell.current - 1);
    const int cap = std::max(settings.capSteps, 0);
    proposed = std::clamp<long>(proposed, cell.current - cap, cell.current + cap);
    cell.proposed = clampByte(proposed);
}

std::string number(const char *format, double value)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Seconds as a person writes them: 2, 1.5, 0.25.
std::string seconds(double value)
{
    return number("%g", value);
}

} // namespace

double SensorCurve::lambdaAt(double mv) const
{
    if (points.empty())
        return 1.0;
    if (mv <= points.front().first)
        return points.front().second;
    if (mv >= points.back().first)
        return points.back().second;
    const auto upper = std::upper_bound(points.begin(), points.end(), mv,
                                        [](double v, const auto &p) { return v < p.first; });
    const auto lower = upper - 1;
    const double f = (mv - lower->first) / (upper->first - lower->first);
    return lower->second + f * (upper->second - lower->second);
}

// A zirconia sensor switches between lean and rich over a few hundredths of lambda around
// stoichiometry: little voltage tells much beyond about 0.9 and 1.1, and the ends are clamped.
SensorCurve SensorCurve::typicalNarrowBand()
{
    return SensorCurve{{{100, 1.05},
                        {200, 1.03},
                        {350, 1.01},
                        {450, 1.00},
                        {600, 0.99},
                        {700, 0.98},
                        {800, 0.97},
                        {850, 0.95},
                        {900, 0.90}}};
}

std::optional<SensorCurve> parseSensorCurve(std::string_view text)
{
    SensorCurve curve;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        std::vector<double> values;
        while (true) {
            const std::size_t start = line.find_first_not_of(" \t\r");
            if (start == std::string_view::npos || line[start] == '#')
                break;
            line.remove_prefix(start);
            const std::size_t stop = std::min(line.find_first_of(" \t\r"), line.size());
            double value = 0;
            const auto [after, ec] = std::from_chars(line.data(), line.data() + stop, value);
            if (ec != std::errc() || after != line.data() + stop || !std::isfinite(value))
                return std::nullopt;
            values.push_back(value);
            line.remove_prefix(stop);
        }
        if (values.empty())
            continue;
        if (values.size() != 2 || values[1] <= 0 ||
            (!curve.points.empty() && values[0] <= curve.points.back().first))
            return std::nullopt;
        curve.points.emplace_back(values[0], values[1]);
    }
    if (curve.points.size() < 2)
        return std::nullopt;
    return curve;
}

double CellProposal::changePercent() const
{
    return current == 0 ? 0.0 : 100.0 * (proposed - current) / current;
}

std::vector<std::optional<Filter>> filterRows(const log::RideLog &log, const DeviceImage &base,
                                              const Settings &settings)
{
    const std::size_t rows = log.seconds.size();
    const LogColumns c(log);
    const std::vector<bool> stuck = stuckRows(c.lambda, rows, settings.stuckRows);
    const std::vector<bool> steady = steadyRows(c, base, rows, settings.steadyRows);
    const std::vector<bool> accelerating = acceleratingRows(
        c, log.seconds, base[kAccelThreshold] * 10.0, settings.accelHoldOffSeconds);
    const std::vector<bool> afterWrite = afterWriteRows(log, settings.eventHoldOffSeconds);

    std::vector<std::optional<Filter>> verdicts(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const double rpm = c.rpm[i], mv = c.lambda[i], coolant = c.coolant[i];
        const double duty = c.duty[i], load = c.load[i];
        const double loadValue = load == 1 ? c.throttle[i] : c.intake[i];
        const std::array<bool, kFilters> hits{
            known(coolant) && coolant < settings.warmCelsius,
            known(mv) && (mv <= settings.railLowMv || mv >= settings.railHighMv || stuck[i]),
            !steady[i],
            accelerating[i],
            (known(duty) && duty >= settings.maxDutyPercent) || c.injection14[i] == 0 ||
                c.injection23[i] == 0,
            known(rpm) && rpm < settings.minRpm,
            afterWrite[i],
            !known(rpm) || !known(mv) || !(load == 0 || load == 1) || !known(loadValue),
        };
        const auto hit = std::find(hits.begin(), hits.end(), true);
        if (hit != hits.end())
            verdicts[i] = static_cast<Filter>(hit - hits.begin());
    }
    return verdicts;
}

Analysis analyze(const log::RideLog &log, const DeviceImage &base, const Settings &settings)
{
    Analysis analysis;
    analysis.targetMv = base[kTuningLambda] * 10;
    analysis.toleranceMv = base[kTuningHyster] * 10;
    analysis.targetLambda = settings.sensor.lambdaAt(analysis.targetMv);
    analysis.accelPercentPerSecond = base[kAccelThreshold] * 10;
    analysis.rows = static_cast<int>(log.seconds.size());

    std::array<std::array<double, kCells>, kMaps> speedAxes{};
    for (std::size_t m = 0; m < kMaps; ++m)
        for (std::size_t k = 0; k < kCells; ++k)
            speedAxes[m][k] = base[kSpeedAxis[m] + k];
    std::array<MapSums, kMaps> sums{};

    const LogColumns c(log);
    const std::vector<std::optional<Filter>> verdicts = filterRows(log, base, settings);
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        if (verdicts[i]) {
            ++analysis.removed[static_cast<std::size_t>(*verdicts[i])];
            continue;
        }
        ++analysis.trusted;
        const double rpm = c.rpm[i], mv = c.lambda[i];
        const bool throttleLoad = c.load[i] == 1;
        const double lambda = settings.sensor.lambdaAt(mv);
        const AxisSpan loadRows = throttleLoad ? locate(link::kTpRowOpenings, c.throttle[i])
                                               : locate(kIapRowPressures, c.intake[i]);
        for (std::size_t m = 0; m < kMaps; ++m) {
            const bool fed = throttleLoad ? m != 2 : m == 2;
            if (fed && settings.maps[m])
                spread(sums[m], loadRows, locate(speedAxes[m], rpm / 100.0), mv, lambda);
        }
    }

    for (std::size_t m = 0; m < kMaps; ++m) {
        for (std::size_t r = 0; r < kCells; ++r) {
            for (std::size_t k = 0; k < kCells; ++k) {
                CellProposal &cell = analysis.maps[m][r][k];
                const CellSums &sum = sums[m][r][k];
                cell.current = base[log::mapCellByte(m, r, k)];
                cell.proposed = cell.current;
                if (sum.weight <= 0)
                    continue;
                cell.visited = true;
                cell.weight = sum.weight;
                cell.meanLambdaMv = sum.mv / sum.weight;
                cell.meanLambda = sum.lambda / sum.weight;
                estimate(cell, analysis, settings);
            }
        }
    }
    return analysis;
}

void capChanges(MapCells &cells, int maxSteps)
{
    const int cap = std::max(maxSteps, 0);
    for (auto &row : cells)
        for (CellProposal &cell : row)
            if (cell.visited)
                cell.proposed = std::clamp(cell.proposed, cell.current - cap, cell.current + cap);
}

void smoothWithNeighbours(MapCells &cells)
{
    const MapCells before = cells;
    constexpr std::array<std::pair<int, int>, 4> kNeighbours{{{0, -1}, {0, 1}, {-1, 0}, {1, 0}}};
    for (int r = 0; r < kCells; ++r) {
        for (int k = 0; k < kCells; ++k) {
            const CellProposal &old =
                before[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)];
            if (!old.proposes())
                continue;
            double sum = 0;
            int count = 0;
            for (const auto &[dr, dk] : kNeighbours) {
                const int nr = r + dr, nk = k + dk;
                if (nr < 0 || nr >= kCells || nk < 0 || nk >= kCells)
                    continue;
                const CellProposal &n =
                    before[static_cast<std::size_t>(nr)][static_cast<std::size_t>(nk)];
                if (!n.estimated)
                    continue;
                sum += n.proposed - n.current;
                ++count;
            }
            if (count == 0)
                continue;
            const double change = ((old.proposed - old.current) + sum / count) / 2;
            cells[static_cast<std::size_t>(r)][static_cast<std::size_t>(k)].proposed =
                clampByte(old.current + std::lround(change));
        }
    }
}

int applyProposals(const Analysis &analysis, const Exclusions &excluded, DeviceImage &image)
{
    int changed = 0;
    for (std::size_t m = 0; m < kMaps; ++m) {
        for (std::size_t r = 0; r < kCells; ++r) {
            for (std::size_t k = 0; k < kCells; ++k) {
                const CellProposal &cell = analysis.maps[m][r][k];
                if (excluded[m][r][k] || !cell.proposes())
                    continue;
                std::uint8_t &byte = image[log::mapCellByte(m, r, k)];
                const auto value = static_cast<std::uint8_t>(clampByte(cell.proposed));
                changed += byte != value;
                byte = value;
            }
        }
    }
    return changed;
}

std::string filterText(Filter filter, const Analysis &analysis, const Settings &settings,
                       std::uint8_t language)
{
    const char *pattern = text::kFilters[static_cast<std::size_t>(filter)].pick(language);
    switch (filter) {
    case Filter::Cold:
        return fillIn(pattern, {std::to_string(settings.warmCelsius)});
    case Filter::SensorInactive:
        return fillIn(pattern,
                      {std::to_string(settings.railLowMv), std::to_string(settings.railHighMv),
                       std::to_string(settings.stuckRows)});
    case Filter::NotSteady:
        return fillIn(pattern, {std::to_string(settings.steadyRows)});
    case Filter::Acceleration:
        return fillIn(pattern, {std::to_string(analysis.accelPercentPerSecond),
                                seconds(settings.accelHoldOffSeconds)});
    case Filter::InjectionLimit:
        return fillIn(pattern, {std::to_string(settings.maxDutyPercent)});
    case Filter::Idle:
        return fillIn(pattern, {std::to_string(settings.minRpm)});
    case Filter::AfterWrite:
        return fillIn(pattern, {seconds(settings.eventHoldOffSeconds)});
    case Filter::NoCells:
        return pattern;
    }
    return pattern;
}

std::string report(const Analysis &analysis, const Settings &settings, std::uint8_t language)
{
    std::string out =
        fillIn(text::kTarget.pick(language),
               {std::to_string(analysis.targetMv), std::to_string(analysis.toleranceMv),
                number("%.3f", analysis.targetLambda)}) +
        '\n';
    int visited = 0, proposals = 0;
    std::string lines;
    for (std::size_t m = 0; m < kMaps; ++m) {
        for (std::size_t r = 0; r < kCells; ++r) {
            for (std::size_t k = 0; k < kCells; ++k) {
                const CellProposal &cell = analysis.maps[m][r][k];
                if (!cell.visited)
                    continue;
                ++visited;
                proposals += cell.proposes();
                lines += std::string(log::kInjectionMaps[m].name) + '\t' + std::to_string(r) +
                         '\t' + std::to_string(k) + '\t' + std::to_string(cell.current) + '\t' +
                         std::to_string(cell.proposed) + '\t' +
                         number("%+.1f", cell.changePercent()) + '\t' +
                         number("%.2f", cell.weight) + '\n';
            }
        }
    }
    if (visited == 0) {
        out += std::string(text::kNoVisited.pick(language)) + '\n';
    } else {
        out += std::string(text::kCellHeading.pick(language)) + '\n' + lines;
        out += fillIn(text::kProposals.pick(language),
                      {std::to_string(proposals), std::to_string(visited)}) +
               '\n';
    }
    out += fillIn(text::kRows.pick(language),
                  {std::to_string(analysis.rows), std::to_string(analysis.trusted)}) +
           '\n';
    out += std::string(text::kFiltersHeading.pick(language)) + '\n';
    for (int f = 0; f < kFilters; ++f)
        out += "  " + filterText(static_cast<Filter>(f), analysis, settings, language) + '\t' +
               std::to_string(analysis.removed[static_cast<std::size_t>(f)]) + '\n';
    return out;
}

} // namespace velmora::analysis
