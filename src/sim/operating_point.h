#pragma once

#include <cstdint>

namespace velmora::sim {

// Where the unit takes its load from. By default it follows the image's TPS_MODE byte, as the
// unit itself does, so a PC that programs the byte switches the maps.
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
