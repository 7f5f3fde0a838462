#pragma once

#include "device_image.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora {

inline constexpr std::uint8_t kModelCount = 5;

// Items of the motorcycle model box, indexed by BIKE, blanks included.
inline constexpr std::array<std::string_view, kModelCount> kModelItems{
    "Honda CBR 600 F               01-02", "Honda CBR 900 RR            02-",
    "Honda CBR 1100 XX               ", "Honda VTR 1000 SP-1       01-02",
    "Honda VFR 800                   "};

// Window settings kept next to the parameter set and checked by the consistency pass.
struct HeldSettings {
    std::uint8_t language = 1; // 0 Czech, 1 English, 2 German
    std::uint8_t comPort = 1;  // 1..10, 0 for none
};

// Writes the defaults of the model in BIKE, then the model constants. BIKE, the identity block
// and the reserved bytes stay as they are; for a BIKE above 4 only the common values change.
void applyDefaults(DeviceImage &image);

// Writes the hidden constants of the model in BIKE; nothing for a BIKE above 4.
void applyModelConstants(DeviceImage &image);

// The core of choosing a model in the model box: BIKE, then its constants. Asking for the
// defaults is the window's part.
void chooseModel(DeviceImage &image, std::uint8_t model);

// Clamps and orders the parameter set in place; run before the set is shown, saved or sent.
void consistencyPass(DeviceImage &image, HeldSettings &held);
void consistencyPass(DeviceImage &image);

} // namespace velmora
