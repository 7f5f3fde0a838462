#pragma once

#include "fuel_map.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora::sim {

// What the engine really needs in each cell of each map, in % of the base injection time: the
// truth a tuning loop on the PC is meant to find through the lambda sensor. A fresh unit's maps
// hold 100 everywhere, so by default the engine needs exactly that and every cell is on target.
class FuelRequirement {
public:
    static constexpr double kOnTarget = 100.0;
    static constexpr double kMinimum = 1.0; // keeps the fuel ratio finite
    static constexpr double kMaximum = 400.0;

    FuelRequirement() { reset(); }

    // A field that needs 100 +- up to `percent` in every cell: a few smooth random bumps per
    // map, scaled so that the largest departure of each map is `percent` exactly. The same seed
    // gives the same field.
    static FuelRequirement randomField(double percent, std::uint64_t seed);

    double at(FuelMap map, std::size_t cell) const;
    // Clamped to kMinimum..kMaximum; false (nothing changed) for a cell past the map.
    bool set(FuelMap map, std::size_t cell, double percent);
    void reset();

    friend bool operator==(const FuelRequirement &, const FuelRequirement &) = default;

private:
    std::array<std::array<double, layout::kMapCells>, kFuelMaps.size()> m_percent{};
};

} // namespace velmora::sim
