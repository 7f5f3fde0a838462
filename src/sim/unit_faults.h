#pragma once

#include "live_state.h"

#include <cstdint>
#include <optional>

namespace velmora::sim {

// What the unit reports as broken. Only the monitor reply shows them: the unit goes on
// computing from the engine's true operating point, so a fault never disturbs a tuning run
// beyond the bytes it names.
struct UnitFaults {
    // A line shorted to ground reads below the plausible range of the pressure sensor.
    static constexpr std::uint16_t kIntakeCountShorted = 200;
    static constexpr std::uint8_t kThrottleOverrange = 110;

    std::optional<std::uint16_t> intakePressureCount; // raw count, sane range 421..4024
    std::optional<std::uint8_t> throttlePercent;      // above 100 is a faulty sensor
    bool coolantSensor = false;                       // open sensor: temperature byte 0
    bool airSensor = false;
    bool servo = false; // the servo is reported not in order
    bool storedData = false;
    std::optional<std::uint8_t> programVersion;
    bool speedAlarm1 = false;
    bool speedAlarm2 = false;
    bool blocking = false;

    void applyTo(LiveState &state) const;

    friend bool operator==(const UnitFaults &, const UnitFaults &) = default;
};

} // namespace velmora::sim
