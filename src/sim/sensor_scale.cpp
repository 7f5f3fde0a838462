#include "sensor_scale.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

constexpr double kTravelStartMv = 600.0;
constexpr double kMvPerPercent = 38.0;

constexpr double kDiodeDropMv = 650.0;
constexpr double kSupplyDivider = 11.0;

constexpr double kAmbientMvPerKpa = 40.3;

// A common 2 kOhm / 3450 K thermistor against a 2 kOhm pull-up.
constexpr double kThermistorOhms25 = 2000.0;
constexpr double kThermistorBeta = 3450.0;
constexpr double kPullUpOhms = 2000.0;
constexpr double kKelvin = 273.15;

// What the PC shows for a count: the product truncated.
long readBackMv(long count)
{
    return count * kFullScaleMv / kFullScaleCount;
}

} // namespace

std::uint16_t countOfMv(double mv)
{
    mv = std::clamp(mv, 0.0, static_cast<double>(kFullScaleMv));
    // Read-backs step by 1.22 mV, so the best count is next to the plain quotient.
    const auto guess = static_cast<long>(mv * kFullScaleCount / kFullScaleMv);
    long best = 0;
    double bestError = kFullScaleMv;
    for (long c = std::max(guess - 1, 0l); c <= std::min<long>(guess + 2, kFullScaleCount); ++c) {
        const double error = std::abs(static_cast<double>(readBackMv(c)) - mv);
        if (error < bestError) {
            best = c;
            bestError = error;
        }
    }
    return static_cast<std::uint16_t>(best);
}

std::uint16_t throttleCount(unsigned percent)
{
    return countOfMv(kTravelStartMv + kMvPerPercent * percent);
}

std::uint16_t intakePressureCount(unsigned percent)
{
    return countOfMv(kTravelStartMv + kMvPerPercent * std::min(percent, 100u));
}

std::uint16_t thermistorCount(int celsius)
{
    const double t = std::clamp(celsius, -60, 200) + kKelvin;
    const double ohms =
        kThermistorOhms25 * std::exp(kThermistorBeta * (1.0 / t - 1.0 / (25.0 + kKelvin)));
    return countOfMv(kFullScaleMv * ohms / (ohms + kPullUpOhms));
}

std::uint16_t supplyCount(unsigned supplyMv)
{
    return countOfMv((static_cast<double>(supplyMv) - kDiodeDropMv) / kSupplyDivider);
}

std::uint16_t ambientPressureCount(double kpa)
{
    return countOfMv(kpa * kAmbientMvPerKpa);
}

} // namespace velmora::sim
