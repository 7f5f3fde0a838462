#include "injection.h"

#include "live_cells.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

constexpr double kIdleUs = 1500.0;
constexpr double kFullLoadUs = 5000.0;
constexpr double kTopSpeedUs = 1500.0;
constexpr unsigned kTopSpeedRpm = 12000;
constexpr double kStepUs = 30.0;

} // namespace

double baseInjectionUs(unsigned rpm, unsigned loadPercent)
{
    const double load = std::min(loadPercent, 100u) / 100.0;
    const double speed = static_cast<double>(std::min(rpm, kTopSpeedRpm)) / kTopSpeedRpm;
    return kIdleUs + kFullLoadUs * load + kTopSpeedUs * speed;
}

unsigned temperatureCorrection(const DeviceImage &image, std::size_t curve, int celsius)
{
    return image[curve + temperaturePoint(celsius)];
}

double injectionUs(const InjectionFactors &f)
{
    return f.baseUs * f.cellPercent / 100.0 * f.coolantPercent / 100.0 * f.airPercent / 100.0;
}

std::uint16_t injectionSteps(double us)
{
    return static_cast<std::uint16_t>(std::clamp(std::lround(us / kStepUs), 0l, 0xFFFFl));
}

} // namespace velmora::sim
