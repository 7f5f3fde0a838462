#pragma once

#include <cstdint>

namespace velmora::sim {

// The unit's 12-bit converter: 4092 counts for 5 V.
inline constexpr unsigned kFullScaleCount = 4092;
inline constexpr unsigned kFullScaleMv = 5000;

// The count for a voltage. The PC turns a count back into mV by truncating
// count * 5000 / 4092, so the count is the one whose read-back comes nearest the intended mV:
// that mV itself where a count reads back as it, otherwise one off.
std::uint16_t countOfMv(double mv);

// What the sensors put out for the engine's physical values.
std::uint16_t throttleCount(unsigned percent);       // 0.6 V closed .. 4.4 V open
std::uint16_t intakePressureCount(unsigned percent); // same span; stays within the sane range
std::uint16_t thermistorCount(int celsius);          // NTC to a pull-up: falls as it warms
std::uint16_t supplyCount(unsigned supplyMv);        // behind the 1:11 divider and the diode
std::uint16_t ambientPressureCount(double kpa);

} // namespace velmora::sim
