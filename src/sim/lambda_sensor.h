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
// The narrow-band curve (velmora-unit --sensor narrow) is a real sensor's steep switch instead:
// a logistic in x between 100 and 900 mV, centred on the right mixture (500 mV there) and
// kNarrowWidth wide, so that it reads 800 mV about 3 % rich and says little more than rich or
// lean a few percent either side:
//
//   mV = 100 + 800 / (1 + exp(-x / kNarrowWidth))
//
// Noise is added per reading: uniform within +-amplitude, a pure function of the seed and the
// reading's number, so any run can be repeated exactly.
enum class LambdaCurve : std::uint8_t { Gentle, NarrowBand };

class LambdaSensor {
public:
    static constexpr double kTargetMv = 800.0;
    static constexpr double kLeanSwingMv = 700.0; // towards 100 mV
    static constexpr double kRichSwingMv = 200.0; // towards 1000 mV
    static constexpr double kMvPerLogRatio = 2000.0;
    static constexpr double kNarrowLowMv = 100.0;
    static constexpr double kNarrowHighMv = 900.0;
    static constexpr double kNarrowWidth = 0.015;

    static double curveMv(double fuelRatio);
    static double narrowBandMv(double fuelRatio);
    // The reading without noise of this sensor's curve.
    double curveMvOf(double fuelRatio) const;
    // The fuel ratio at which the curve reads `mv` (within its range), found by bisection.
    double ratioReading(double mv) const;

    LambdaCurve curve() const { return m_curve; }
    void setCurve(LambdaCurve curve) { m_curve = curve; }

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
    LambdaCurve m_curve = LambdaCurve::Gentle;
};

} // namespace velmora::sim
