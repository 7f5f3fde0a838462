#include "map_operations.h"

#include "grid_steps.h"
#include "parameter_set.h"

#include <algorithm>

namespace velmora {

namespace {

using namespace layout;

constexpr int kSingleAdvanceMax = 60;
constexpr int kServoMin = 1;
constexpr int kServoMax = 249;
constexpr int kMapMax = 250;

// One step of a byte within [low, high]; a byte that would leave it stays.
void step(std::uint8_t &value, int direction, int low, int high)
{
    if (direction < 0 && value > low)
        --value;
    else if (direction > 0 && value < high)
        ++value;
}

std::size_t mapStart(InjectionMap map)
{
    switch (map) {
    case InjectionMap::Tp14:
        return kJetTp;
    case InjectionMap::Tp23:
        return kJetTpi;
    case InjectionMap::Iap:
        break;
    }
    return kJetIap;
}

std::size_t cellOf(int row, int column)
{
    return static_cast<std::size_t>(10 * row + column);
}

bool coupled(const DeviceImage &image, InjectionMap map)
{
    return map == InjectionMap::Tp14 && image[kTpsMode] == kTpModeConnected;
}

} // namespace

void stepIgnitionCurve(DeviceImage &image, int direction, bool all, const LiveCell &live)
{
    consistencyPass(image);
    auto stepPoint = [&](std::size_t i, int high) {
        step(image[kAdvance + i], direction, 0, high);
        consistencyPass(image);
    };
    if (all) {
        // No bound of its own: the pass after each point holds it under the advance limit.
        for (std::size_t i = 0; i < kCurvePoints; ++i)
            stepPoint(i, 255);
    } else if (!live.belowCurve) {
        stepPoint(static_cast<std::size_t>(live.ignition), kSingleAdvanceMax);
    }
}

void stepServoCurve(DeviceImage &image, int direction, bool all, const LiveCell &live)
{
    if (all) {
        for (std::size_t i = 0; i < kCurvePoints; ++i)
            step(image[kNapPriv + i], direction, kServoMin, kServoMax);
    } else {
        step(image[kNapPriv + static_cast<std::size_t>(live.servo)], direction, kServoMin,
             kServoMax);
    }
}

void stepMap(DeviceImage &image, InjectionMap map, int direction, bool all, const LiveCell &live)
{
    const std::size_t start = mapStart(map);
    const bool twin = coupled(image, map);
    if (all) {
        for (std::size_t e = 0; e < kMapCells; ++e) {
            step(image[start + e], direction, 0, kMapMax);
            if (twin)
                step(image[kJetTpi + e], direction, 0, kMapMax);
        }
        return;
    }
    if (!live.running)
        return;
    switch (map) {
    case InjectionMap::Tp14:
        step(image[kJetTp + cellOf(live.tpRow, live.tp14Column)], direction, 0, kMapMax);
        if (twin)
            step(image[kJetTpi + cellOf(live.tpRow, live.tp23Column)], direction, 0, kMapMax);
        break;
    case InjectionMap::Tp23:
        step(image[kJetTpi + cellOf(live.tpRow, live.tp23Column)], direction, 0, kMapMax);
        break;
    case InjectionMap::Iap:
        step(image[kJetIap + cellOf(live.iapRow, live.iapColumn)], direction, 0, kMapMax);
        break;
    }
}

void shiftColumn(DeviceImage &image, InjectionMap map, int column, int direction)
{
    const std::size_t start = mapStart(map);
    const bool twin = coupled(image, map);
    for (int row = 0; row < 10; ++row) {
        step(image[start + cellOf(row, column)], direction, 0, kMapMax);
        if (twin)
            step(image[kJetTpi + cellOf(row, column)], direction, 0, kMapMax);
    }
}

bool captureClosedThrottle(DeviceImage &image, int mv)
{
    if (mv < 300 || mv > 2500)
        return false;
    image[kTpsClosed] = static_cast<std::uint8_t>(mv / 10);
    return true;
}

bool captureOpenThrottle(DeviceImage &image, int mv)
{
    if (mv < 2500 || mv > 4600)
        return false;
    image[kTpsOpen] = static_cast<std::uint8_t>(mv / 10 - 250);
    return true;
}

bool setTpMode(DeviceImage &image, std::uint8_t mode)
{
    if (mode == kTpModeConnected) {
        const auto tp = image.run(kRpmJetTp, kCurvePoints);
        const auto tpi = image.run(kRpmJetTpi, kCurvePoints);
        if (!std::equal(tp.begin(), tp.end(), tpi.begin()))
            return false;
    }
    image[kTpsMode] = mode;
    return true;
}

} // namespace velmora
