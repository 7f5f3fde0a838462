#include "lambda_sensor.h"

#include "sim_random.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

// A ratio of zero is a mixture without fuel: as lean as the sensor can tell.
constexpr double kSmallestRatio = 1e-6;

} // namespace

double LambdaSensor::curveMv(double fuelRatio)
{
    const double x = std::log(std::max(fuelRatio, kSmallestRatio));
    const double swing = x < 0 ? kLeanSwingMv : kRichSwingMv;
    return kTargetMv + swing * std::tanh(x * kMvPerLogRatio / swing);
}

double LambdaSensor::narrowBandMv(double fuelRatio)
{
    const double x = std::log(std::max(fuelRatio, kSmallestRatio));
    return kNarrowLowMv + (kNarrowHighMv - kNarrowLowMv) / (1.0 + std::exp(-x / kNarrowWidth));
}

double LambdaSensor::curveMvOf(double fuelRatio) const
{
    return m_curve == LambdaCurve::NarrowBand ? narrowBandMv(fuelRatio) : curveMv(fuelRatio);
}

double LambdaSensor::ratioReading(double mv) const
{
    // Both curves rise with the ratio; between a tenth and ten times the fuel they cover their
    // whole range, so the bisection brackets any reading they can give.
    double lean = 0.1, rich = 10.0;
    for (int i = 0; i < 100; ++i) {
        const double middle = std::sqrt(lean * rich);
        (curveMvOf(middle) < mv ? lean : rich) = middle;
    }
    return std::sqrt(lean * rich);
}

void LambdaSensor::setNoise(double amplitudeMv, std::uint64_t seed)
{
    m_amplitudeMv = std::max(amplitudeMv, 0.0);
    m_seed = seed;
}

double LambdaSensor::noiseMv(std::uint64_t sample) const
{
    if (m_amplitudeMv <= 0.0)
        return 0.0;
    // The top 53 bits as a fraction in [0, 1).
    const double u = static_cast<double>(mixBits(mixBits(m_seed) ^ sample) >> 11) * 0x1.0p-53;
    return m_amplitudeMv * (2.0 * u - 1.0);
}

double LambdaSensor::readMv(double fuelRatio, std::uint64_t sample) const
{
    return curveMvOf(fuelRatio) + noiseMv(sample);
}

} // namespace velmora::sim
