#include "fuel_requirement.h"

#include "sim_random.h"

#include <algorithm>
#include <cmath>

namespace velmora::sim {

FuelRequirement FuelRequirement::randomField(double percent, std::uint64_t seed)
{
    constexpr int kBumps = 4;
    constexpr double kNarrowest = 1.5, kWidest = 3.5; // in cells
    FuelRequirement field;
    SimRandom random(seed);
    for (FuelMap map : kFuelMaps) {
        struct Bump {
            double row, column, width, height;
        };
        std::array<Bump, kBumps> bumps{};
        for (Bump &b : bumps) {
            b.row = random.uniform(0, layout::kMapSide - 1);
            b.column = random.uniform(0, layout::kMapSide - 1);
            b.width = random.uniform(kNarrowest, kWidest);
            b.height = random.uniform(-1, 1);
        }
        std::array<double, layout::kMapCells> shape{};
        for (std::size_t cell = 0; cell < shape.size(); ++cell) {
            const double r = static_cast<double>(cell / layout::kMapSide);
            const double c = static_cast<double>(cell % layout::kMapSide);
            for (const Bump &b : bumps) {
                const double d2 = (r - b.row) * (r - b.row) + (c - b.column) * (c - b.column);
                shape[cell] += b.height * std::exp(-d2 / (2 * b.width * b.width));
            }
        }
        double largest = 0;
        for (double v : shape)
            largest = std::max(largest, std::abs(v));
        for (std::size_t cell = 0; cell < shape.size(); ++cell)
            field.set(map, cell, kOnTarget + (largest > 0 ? percent * shape[cell] / largest : 0));
    }
    return field;
}

double FuelRequirement::at(FuelMap map, std::size_t cell) const
{
    return cell < layout::kMapCells ? m_percent[mapIndex(map)][cell] : kOnTarget;
}

bool FuelRequirement::set(FuelMap map, std::size_t cell, double percent)
{
    if (cell >= layout::kMapCells)
        return false;
    m_percent[mapIndex(map)][cell] = std::clamp(percent, kMinimum, kMaximum);
    return true;
}

void FuelRequirement::reset()
{
    for (auto &map : m_percent)
        map.fill(kOnTarget);
}

} // namespace velmora::sim
