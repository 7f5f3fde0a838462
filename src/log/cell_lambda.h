#pragma once

#include "ride_log.h"

#include <array>

namespace velmora::log {

struct CellLambda {
    int samples = 0;
    double meanMv = 0;
};

using MapLambda = std::array<std::array<CellLambda, 10>, 10>; // [row][column]

// Per injection map (0 TP14, 1 TP23, 2 IAP): monitor rows with a valid lambda and that map's
// cell columns. Empty maps when the log has no cell columns. A row whose lambda is "error" or
// empty, or whose cell of that map is missing or outside the map, is not counted for that map.
std::array<MapLambda, 3> lambdaByCell(const RideLog &log);

} // namespace velmora::log
