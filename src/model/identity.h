#pragma once

#include "device_image.h"

#include <cstdint>
#include <string>

namespace velmora {

// The three texts built from the identity block (block 0) that the unit supplies.
struct UnitIdentity {
    std::string version; // "ABC07", or the long name
    std::string date;    // " 5. 2.2002"
    std::string time;    // "13:07"
};

UnitIdentity DecodeUnitIdentity(const DeviceImage &image);

// Month code of a three-letter English month name: the low 8 bits of the sum of its characters.
std::uint8_t monthCode(const char *name);
// Two-character month text for a month code; "00" for a code that names no month.
std::string monthText(std::uint8_t code);

inline constexpr std::uint8_t kCompatibilityMark = 43; // '+'

// The version of the unit's program this configurator belongs to: About shows it, the monitor
// compares the unit's with it, and the simulated unit reports it unless told otherwise.
inline constexpr int kOwnProgramVersion = 43;

bool isCompatible(const DeviceImage &image);  // identity byte 10 carries the mark
bool readPermitted(const DeviceImage &image); // identity byte 9 is 1
bool modelAccepted(const DeviceImage &image, std::uint8_t model); // model map bit of `model`

} // namespace velmora
