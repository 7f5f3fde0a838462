#include "live_points.h"

#include <algorithm>

namespace velmora::link {

namespace {

using namespace layout;

constexpr std::array<int, 9> kIapThresholds{15, 25, 35, 45, 55, 65, 75, 85, 95};
constexpr std::array<int, 5> kTemperatureThresholds{105, 135, 165, 195, 225};

template <std::size_t N> int thresholdsReached(const std::array<int, N> &thresholds, int value)
{
    return static_cast<int>(
        std::count_if(thresholds.begin(), thresholds.end(), [value](int t) { return value >= t; }));
}

std::span<const std::uint8_t> axis(const DeviceImage &image, std::size_t offset)
{
    return image.run(offset, kCurvePoints);
}

// Edit pointer table positions of the runs marked here.
constexpr std::size_t kEditTps = 0;
constexpr std::size_t kEditTpsi = 10;
constexpr std::size_t kEditIapRows = 20;
constexpr std::size_t kEditFirstCell = kRowLabelCount;

void markRun(Marking &marks, std::size_t cellRun, int index)
{
    marks[kEditFirstCell + cellRun + static_cast<std::size_t>(index)] = Mark::Lime;
}

} // namespace

int nearestPoint(std::span<const std::uint8_t> axis, int value, bool *below)
{
    std::size_t k = 0;
    while (k < axis.size() && axis[k] <= value)
        ++k;
    if (below)
        *below = k == 0;
    if (k == 0)
        return 0;
    if (k == axis.size())
        return static_cast<int>(axis.size()) - 1;
    return axis[k - 1] + axis[k] >= 2 * value ? static_cast<int>(k) - 1 : static_cast<int>(k);
}

int nearestSpeedPoint(std::span<const std::uint8_t> axis, int rpm, bool *below)
{
    // Above 25,599 rpm the comparison value stays at its largest instead of wrapping round.
    return nearestPoint(axis, std::min(rpm / 100, 255), below);
}

int tpRowOf(int opening)
{
    return nearestPoint(kTpRowOpenings, opening);
}

int iapRowOf(int pressure)
{
    return thresholdsReached(kIapThresholds, pressure);
}

int temperaturePointOf(int temperatureByte)
{
    return thresholdsReached(kTemperatureThresholds, temperatureByte);
}

LivePoints livePoints(const DeviceImage &image, const LiveValues &live)
{
    LivePoints p;
    p.ignition = nearestSpeedPoint(axis(image, kRpmAdv), live.speed, &p.belowCurve);
    p.servo = nearestSpeedPoint(axis(image, kRpmPriv), live.speed);
    p.tp14Column = nearestSpeedPoint(axis(image, kRpmJetTp), live.speed);
    p.tp23Column = nearestSpeedPoint(axis(image, kRpmJetTpi), live.speed);
    p.iapColumn = nearestSpeedPoint(axis(image, kRpmJetIap), live.speed);
    p.tpRow = tpRowOf(live.throttleOpening);
    p.iapRow = iapRowOf(live.intakePressure);
    p.coolant = temperaturePointOf(live.coolant);
    p.air = temperaturePointOf(live.air);
    return p;
}

Marking liveMarking(const LivePoints &p, const LiveValues &live, bool inWindow, bool onTarget)
{
    Marking marks{};
    if (!p.belowCurve) {
        markRun(marks, cell::kRpmAdv, p.ignition);
        markRun(marks, cell::kAdvance, p.ignition);
    }
    const bool running = live.speed != 0;
    if (running) {
        markRun(marks, cell::kRpmJetTp, p.tp14Column);
        markRun(marks, cell::kRpmJetTpi, p.tp23Column);
        markRun(marks, cell::kRpmJetIap, p.iapColumn);
    }
    marks[kEditTps + static_cast<std::size_t>(p.tpRow)] = Mark::Lime;
    marks[kEditTpsi + static_cast<std::size_t>(p.tpRow)] = Mark::Lime;
    marks[kEditIapRows + static_cast<std::size_t>(p.iapRow)] = Mark::Lime;
    markRun(marks, cell::kRpmPriv, p.servo);
    markRun(marks, cell::kNapPriv, p.servo);

    if (running && live.mapHold == 0) {
        const Mark mapMark = inWindow && onTarget ? Mark::Fuchsia
                             : inWindow           ? Mark::Yellow
                                                  : Mark::Lime;
        auto markCell = [&](std::size_t map, int row, int column) {
            marks[kEditFirstCell + map + static_cast<std::size_t>(10 * row + column)] = mapMark;
        };
        if (live.loadMode != 0) {
            markCell(cell::kJetTp, p.tpRow, p.tp14Column);
            markCell(cell::kJetTpi, p.tpRow, p.tp23Column);
        } else {
            markCell(cell::kJetIap, p.iapRow, p.iapColumn);
        }
    }
    if (p.coolant < static_cast<int>(kTempPoints))
        markRun(marks, cell::kWaterTemp, p.coolant);
    if (p.air < static_cast<int>(kTempPoints))
        markRun(marks, cell::kAirTemp, p.air);
    return marks;
}

} // namespace velmora::link
