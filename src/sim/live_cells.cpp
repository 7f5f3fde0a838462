#include "live_cells.h"

#include <algorithm>
#include <array>

namespace velmora::sim {

namespace {

constexpr std::array<int, layout::kCurvePoints> kThrottleOpenings{0,  2,  5,  10, 20,
                                                                  30, 40, 60, 80, 100};
constexpr std::array<unsigned, layout::kMapSide - 1> kIntakeThresholds{15, 25, 35, 45, 55,
                                                                       65, 75, 85, 95};
// Half-way between neighbouring curve points.
constexpr std::array<int, layout::kTempPoints - 1> kTemperatureBounds{5, 35, 65, 95};
constexpr unsigned kRpmPerAxisUnit = 100;
constexpr unsigned kAxisTop = 255;

} // namespace

std::size_t nearestPoint(std::span<const int> points, int value)
{
    if (points.empty())
        return 0;
    std::size_t k = 0;
    while (k < points.size() && points[k] <= value)
        ++k;
    if (k == 0)
        return 0;
    if (k == points.size())
        return k - 1;
    return points[k - 1] + points[k] >= 2 * value ? k - 1 : k;
}

std::size_t speedPoint(std::span<const std::uint8_t> axis, unsigned rpm)
{
    std::array<int, layout::kCurvePoints> points{};
    const std::size_t n = std::min(axis.size(), points.size());
    std::copy_n(axis.begin(), n, points.begin());
    const auto r = static_cast<int>(std::min(rpm / kRpmPerAxisUnit, kAxisTop));
    return nearestPoint(std::span<const int>(points.data(), n), r);
}

std::size_t throttleRow(unsigned percent)
{
    // Anything the throttle byte can hold is far above the last opening; keep it an int.
    const int opening = static_cast<int>(std::min(percent, 1000u));
    return nearestPoint(kThrottleOpenings, opening);
}

std::size_t intakeRow(unsigned percent)
{
    return static_cast<std::size_t>(std::count_if(kIntakeThresholds.begin(),
                                                  kIntakeThresholds.end(),
                                                  [percent](unsigned t) { return percent >= t; }));
}

std::size_t temperaturePoint(int celsius)
{
    return static_cast<std::size_t>(std::count_if(kTemperatureBounds.begin(),
                                                  kTemperatureBounds.end(),
                                                  [celsius](int t) { return celsius >= t; }));
}

MapCell cellOf(const DeviceImage &image, FuelMap map, const LoadInput &load)
{
    const auto axis = image.run(speedAxisOffset(map), layout::kCurvePoints);
    const std::size_t row =
        map == FuelMap::Iap ? intakeRow(load.intakePercent) : throttleRow(load.throttlePercent);
    return {map, row, speedPoint(axis, load.rpm)};
}

LiveCells findLiveCells(const DeviceImage &image, const LoadInput &load)
{
    LiveCells cells;
    if (load.throttleLoad) {
        cells.injection14 = cellOf(image, FuelMap::Tp14, load);
        cells.injection23 = cellOf(image, FuelMap::Tp23, load);
    } else {
        cells.injection14 = cellOf(image, FuelMap::Iap, load);
        cells.injection23 = cells.injection14;
    }
    cells.ignitionPoint = speedPoint(image.run(layout::kRpmAdv, layout::kCurvePoints), load.rpm);
    cells.servoPoint = speedPoint(image.run(layout::kRpmPriv, layout::kCurvePoints), load.rpm);
    return cells;
}

} // namespace velmora::sim
