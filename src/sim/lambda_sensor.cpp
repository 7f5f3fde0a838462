#include "lambda_sensor.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

namespace {

// A ratio of zero is a mixture without fuel: as lean as the sensor can tell.
constexpr double kSmallestRatio = 1e-6;

// splitmix64: well mixed for consecutive inputs, which is how the readings are numbered.
std::uint64_t mix(std::uint64_t z)
{
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

double LambdaSensor::curveMv(double fuelRatio)
{
    const double x = std::log(std::max(fuelRatio, kSmallestRatio));
    const double swing = x < 0 ? kLeanSwingMv : kRichSwingMv;
    return kTargetMv + swing * std::tanh(x * kMvPerLogRatio / swing);
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
    const double u = static_cast<double>(mix(mix(m_seed) ^ sample) >> 11) * 0x1.0p-53;
    return m_amplitudeMv * (2.0 * u - 1.0);
}

double LambdaSensor::readMv(double fuelRatio, std::uint64_t sample) const
{
    return curveMv(fuelRatio) + noiseMv(sample);
}

} // namespace velmora::sim
