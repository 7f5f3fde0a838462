#pragma once

#include <cstddef>

namespace velmora::link {

// Positions in the 102-byte monitor reply (byte 0 is the reply command). 16-bit values are
// sent low byte first.
namespace monitor {
inline constexpr std::size_t kRpm = 1;
inline constexpr std::size_t kAmbientPressureCount = 3;
inline constexpr std::size_t kAmbientPressure = 5;
inline constexpr std::size_t kIntakePressureCount = 7;
inline constexpr std::size_t kThrottleCount = 9;
inline constexpr std::size_t kLambdaCount = 11;
inline constexpr std::size_t kCoolantCount = 13;
inline constexpr std::size_t kAirCount = 15;
inline constexpr std::size_t kSupplyCount = 17;
inline constexpr std::size_t kInjection14 = 19;
inline constexpr std::size_t kInjection23 = 21;
inline constexpr std::size_t kServoMeasured = 27;
inline constexpr std::size_t kServoDesired = 29;
inline constexpr std::size_t kProgrammingCycles = 31;
inline constexpr std::size_t kTestValues = 33; // eight 16-bit values
inline constexpr std::size_t kThrottlePercent = 51;
inline constexpr std::size_t kIntakePercent = 52;
inline constexpr std::size_t kCoolant = 53; // degrees + 100
inline constexpr std::size_t kAir = 54;     // degrees + 100
inline constexpr std::size_t kSparkPosition = 55;
inline constexpr std::size_t kSpeedAlarm1 = 57;
inline constexpr std::size_t kBlocking = 58;
inline constexpr std::size_t kMapHold = 59;
inline constexpr std::size_t kLoadMode = 60;
inline constexpr std::size_t kSpeedAlarm2 = 61;
inline constexpr std::size_t kServoInOrder = 62;
inline constexpr std::size_t kCrankPickup = 73;
inline constexpr std::size_t kCamPickup = 74;
inline constexpr std::size_t kCorrections = 85;      // four 16-bit values
inline constexpr std::size_t kSupplyCorrection = 93; // us + 1000
inline constexpr std::size_t kSavingCountdown = 95;
inline constexpr std::size_t kStoredDataError = 99;
inline constexpr std::size_t kProgramVersion = 100;

inline constexpr int kTemperatureOffset = 100;
inline constexpr int kSupplyCorrectionOffset = 1000;
} // namespace monitor

} // namespace velmora::link
