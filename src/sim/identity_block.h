#pragma once

#include "model/device_image.h"
#include "model/identity.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace velmora::sim {

// Who the simulated unit says it is: the fields of block 0 in readable form. The defaults
// describe a unit that the configurator accepts for all five models.
struct IdentityBlock {
    std::string name = "VSU"; // program name, three characters (shorter is padded with blanks)
    std::uint8_t version = 7;
    std::uint8_t day = 14;
    std::uint8_t month = 3; // 1..12; stored as the month code
    unsigned year = 2024;   // 2000..2255
    std::uint8_t hour = 9;
    std::uint8_t minute = 30;
    std::uint8_t readPermission = 1;
    std::uint8_t compatibilityMark = kCompatibilityMark;
    std::array<std::uint8_t, layout::id::kModelMapSize> modelMap = {0x1F};
    // When not empty it is written over the tail of the model map, as a real unit does; keep it
    // empty while models above byte 16 of the map matter.
    std::string longName;

    // The 100 bytes of block 0.
    std::array<std::uint8_t, layout::kBlockSize> toBlock() const;
    void writeTo(DeviceImage &image) const;
};

// The month code of month 1..12; 0 for any other number.
std::uint8_t monthCodeOf(unsigned month);

} // namespace velmora::sim
