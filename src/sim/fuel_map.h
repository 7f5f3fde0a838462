#pragma once

#include "model/image_layout.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::sim {

// The three injection maps. TP14 feeds cylinders 1 and 4, TP23 cylinders 2 and 3; IAP feeds all
// four when the unit takes its load from the intake pressure.
enum class FuelMap : std::uint8_t { Tp14, Tp23, Iap };

inline constexpr std::array<FuelMap, 3> kFuelMaps{FuelMap::Tp14, FuelMap::Tp23, FuelMap::Iap};

constexpr std::size_t mapOffset(FuelMap map)
{
    switch (map) {
    case FuelMap::Tp14:
        return layout::kJetTp;
    case FuelMap::Tp23:
        return layout::kJetTpi;
    case FuelMap::Iap:
        break;
    }
    return layout::kJetIap;
}

// The speed axis the map's columns stand on.
constexpr std::size_t speedAxisOffset(FuelMap map)
{
    switch (map) {
    case FuelMap::Tp14:
        return layout::kRpmJetTp;
    case FuelMap::Tp23:
        return layout::kRpmJetTpi;
    case FuelMap::Iap:
        break;
    }
    return layout::kRpmJetIap;
}

constexpr std::size_t mapIndex(FuelMap map)
{
    return static_cast<std::size_t>(map);
}

} // namespace velmora::sim
