#pragma once

#include "model/identity.h"

#include <array>
#include <cstdint>

namespace velmora::sim {

// What the unit measures and decides at one moment, in the units the monitor reply carries.
// The defaults are a warm engine idling on the stand. Sensor counts are 12-bit, 4092 = 5 V.
struct LiveState {
    std::uint16_t rpm = 1200;
    std::uint16_t ambientPressureCount = 3341;
    std::uint16_t ambientPressure = 1013; // 0.1 kPa
    std::uint16_t intakePressureCount = 900;
    std::uint16_t throttleCount = 491; // about 600 mV
    std::uint16_t lambdaCount = 368;   // about 450 mV
    std::uint16_t coolantCount = 820;
    std::uint16_t airCount = 2050;
    std::uint16_t supplyCount = 978; // about 13.8 V behind the 1:11 divider and the diode
    std::uint16_t injection14 = 80;  // 30 us steps
    std::uint16_t injection23 = 80;
    std::uint16_t servoMeasured = 512;
    std::uint16_t servoDesired = 512;
    std::uint16_t programmingCycles = 0;
    std::array<std::uint16_t, 8> testValues{};
    std::uint8_t throttlePercent = 0;
    std::uint8_t intakePercent = 35;
    int coolantCelsius = 85;         // -100..155
    int airCelsius = 25;             // -100..155
    std::uint8_t sparkPosition = 28; // degrees after the advance limit
    bool speedAlarm1 = false;
    bool blocking = false;
    bool mapHold = false;
    bool loadMode = false;
    bool speedAlarm2 = false;
    bool servoInOrder = true;
    bool crankPickup = true;
    bool camPickup = true;
    std::array<std::int16_t, 4> corrections{}; // 0.1 %
    int supplyCorrectionUs = 0;                // -1000..64535
    std::uint16_t savingCountdown = 0;
    bool storedDataError = false;
    std::uint8_t programVersion = kOwnProgramVersion;

    friend bool operator==(const LiveState &, const LiveState &) = default;
};

} // namespace velmora::sim
