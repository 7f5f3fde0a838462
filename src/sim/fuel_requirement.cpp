#include "fuel_requirement.h"

#include <algorithm>

namespace velmora::sim {

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
