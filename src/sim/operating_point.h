#pragma once

#include <cstdint>

namespace velmora::sim {

// Where the unit takes its load from: by default the throttle maps, whatever TP mode the image
// holds; the intake-pressure map only when chosen.
enum class LoadMode : std::uint8_t { FromImage, Throttle, IntakePressure };

// The engine at one moment, as its sensors would measure it. Defaults: warm, idling on the stand.
struct OperatingPoint {
    std::uint16_t rpm = 1200;
    std::uint8_t throttlePercent = 0;
    std::uint8_t intakePercent = 35;
    int coolantCelsius = 85;
    int airCelsius = 25;
    double ambientKpa = 101.3;
    unsigned supplyMv = 13800;
    bool mapHold = false;
    LoadMode loadMode = LoadMode::FromImage;

    friend bool operator==(const OperatingPoint &, const OperatingPoint &) = default;
};

} // namespace velmora::sim
