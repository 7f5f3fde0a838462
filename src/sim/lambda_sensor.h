#pragma once

#include <cstdint>

namespace velmora::sim {

// A narrow-band lambda sensor as the unit sees it. The curve runs through 800 mV (the PC's
// default target) at the right mixture, moves about 20 mV per percent of fuel around it, lean
// downwards, and flattens smoothly towards 100 mV very lean and 1000 mV very rich:
//
//   x = ln(fuel ratio)
//   mV = 800 + 700 tanh(x / 0.35)   for x < 0
//   mV = 800 + 200 tanh(x / 0.10)   for x >= 0
//
// Both halves leave 800 mV with a slope of 2000 mV per unit of x, so the curve is smooth there,
// and no 1 % step ever moves it by more than about 20 mV.
//
// Noise is added per reading: uniform within +-amplitude, a pure function of the seed and the
// reading's number, so any run can be repeated exactly.
class LambdaSensor {
public:
    static constexpr double kTargetMv = 800.0;
    static constexpr double kLeanSwingMv = 700.0; // towards 100 mV
    static constexpr double kRichSwingMv = 200.0; // towards 1000 mV
    static constexpr double kMvPerLogRatio = 2000.0;

    static double curveMv(double fuelRatio);

    void setNoise(double amplitudeMv, std::uint64_t seed);
    double noiseAmplitudeMv() const { return m_amplitudeMv; }
    std::uint64_t seed() const { return m_seed; }

    // Reading number `sample` of a mixture with this fuel ratio, in mV.
    double readMv(double fuelRatio, std::uint64_t sample) const;
    // Its noise alone, within +-amplitude.
    double noiseMv(std::uint64_t sample) const;

    friend bool operator==(const LambdaSensor &, const LambdaSensor &) = default;

private:
    double m_amplitudeMv = 0.0;
    std::uint64_t m_seed = 0;
};

} // namespace velmora::sim
