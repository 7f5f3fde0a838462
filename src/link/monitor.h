#pragma once

#include "link/frame.h"
#include "link/monitor_layout.h"

#include <cstdint>
#include <span>

namespace velmora::link {

// What the latest valid monitor reply said about the running engine. All zero until the first
// reply; kept when replies stop.
struct LiveValues {
    std::uint16_t speed = 0;          // rpm
    std::uint8_t throttleOpening = 0; // %
    std::uint8_t intakePressure = 0;  // %
    std::uint8_t coolant = 0;         // degrees C + 100
    std::uint8_t air = 0;             // degrees C + 100
    std::uint16_t lambdaMv = 0;
    std::uint16_t throttleMv = 0;
    std::uint8_t mapHold = 0;
    std::uint8_t loadMode = 0;
    std::uint16_t savingCountdown = 0;
    bool fresh = false; // set by every valid reply, cleared by whoever uses it

    friend bool operator==(const LiveValues &, const LiveValues &) = default;
};

// Two bytes, low byte first.
constexpr std::uint16_t word(std::span<const std::uint8_t> reply, std::size_t offset)
{
    return static_cast<std::uint16_t>(reply[offset] | (reply[offset + 1] << 8));
}

// A sensor count on the unit's 4092-per-5-volt scale, in millivolts.
constexpr std::uint16_t sensorMv(std::uint16_t count)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(count) * 5000 / 4092);
}

// Takes the live values from a reply; false (and nothing changed) for a reply that fails its
// check byte.
bool decodeLiveValues(std::span<const std::uint8_t> reply, LiveValues &live);

} // namespace velmora::link
