#pragma once

#include <cstdint>

namespace velmora::sim {

// splitmix64: well mixed for consecutive inputs, which is how the sensor numbers its readings.
constexpr std::uint64_t mixBits(std::uint64_t z)
{
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A small seeded generator of its own, so that a seed gives the same ride and field with every
// standard library.
class SimRandom {
public:
    explicit SimRandom(std::uint64_t seed) : m_state(mixBits(seed)) {}

    std::uint64_t next() { return mixBits(m_state++); }
    // In [0, 1).
    double fraction() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double uniform(double low, double high) { return low + (high - low) * fraction(); }
    // In [0, n); 0 for n == 0.
    std::uint64_t below(std::uint64_t n) { return n ? next() % n : 0; }

private:
    std::uint64_t m_state;
};

} // namespace velmora::sim
