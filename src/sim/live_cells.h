#pragma once

#include "fuel_map.h"
#include "model/device_image.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::sim {

// The point of an ascending axis nearest to `value`. Points are searched from the first up to
// the first one above `value`; exactly half-way between two points counts as the lower one. The
// PC marks the live cell by this very rule, so the cell it edits is the cell the unit uses.
std::size_t nearestPoint(std::span<const int> points, int value);

// Nearest point of a ten-point speed axis in units of 100 rpm.
std::size_t speedPoint(std::span<const std::uint8_t> axis, unsigned rpm);

// Row of the TP maps for a throttle opening in %.
std::size_t throttleRow(unsigned percent);

// Row of the IAP map: how many of its load thresholds the intake pressure (%) reaches.
std::size_t intakeRow(unsigned percent);

// Point of a temperature correction curve (-10, 20, 50, 80, 110 degrees) for a temperature in
// degrees: the nearest, half-way going up as the PC marks it; the last point holds above it.
std::size_t temperaturePoint(int celsius);

struct MapCell {
    FuelMap map = FuelMap::Tp14;
    std::size_t row = 0;
    std::size_t column = 0;

    std::size_t index() const { return row * layout::kMapSide + column; }
    friend bool operator==(const MapCell &, const MapCell &) = default;
};

// The cells and curve points the unit works from at one operating point.
struct LiveCells {
    MapCell injection14;
    MapCell injection23;
    std::size_t ignitionPoint = 0; // on the advance speed axis
    std::size_t servoPoint = 0;    // on the servo speed axis
};

struct LoadInput {
    unsigned rpm = 0;
    unsigned throttlePercent = 0;
    unsigned intakePercent = 0;
    bool throttleLoad = true; // the TP maps, otherwise the IAP map for both injection times
};

LiveCells findLiveCells(const DeviceImage &image, const LoadInput &load);

MapCell cellOf(const DeviceImage &image, FuelMap map, const LoadInput &load);

} // namespace velmora::sim
