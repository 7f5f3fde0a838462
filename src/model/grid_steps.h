#pragma once

#include "cells.h"
#include "device_image.h"

#include <array>
#include <string>

namespace velmora {

// What the grid's controls hold: every cell's up-down position, the two parameter check boxes
// and the item chosen in the model box (-1 when it shows none).
struct GridValues {
    std::array<int, kCellCount> position{};
    bool blokEnable = false;
    bool privEnable = false;
    int bikeItem = -1;
};

// Take-over: the controls into the parameter set. In the Connected TP mode a TP14 speed point or
// map cell that the user changed first carries the same change into its TP23 twin, which is why
// the values are not const. A model box that shows no item leaves BIKE as it is.
void takeOverCells(DeviceImage &image, GridValues &values);

// Show: the parameter set into the controls. Each position is kept within its cell's range, as
// the up-down control does with a value it cannot hold.
void showCells(const DeviceImage &image, GridValues &values);

inline constexpr std::uint8_t kTpModeNormal = 0;
inline constexpr std::uint8_t kTpModeConnected = 1;
inline constexpr std::uint8_t kTpMode14To23 = 2;
inline constexpr std::uint8_t kTpMode23To14 = 3;

// How the two TP map pages look in a TP mode and language (0 Czech, 1 English, 2 German).
struct TpModeDisplay {
    bool tp14Visible;
    bool tp23Visible;
    bool tp23Enabled;
    bool tp23EditorsVisible;  // the TP23 up-downs, spin buttons, plus/minus and "All"
    std::string tab14Caption; // UTF-8
    std::string tab23Caption;
};
TpModeDisplay tpModeDisplay(std::uint8_t mode, std::uint8_t language);

} // namespace velmora
