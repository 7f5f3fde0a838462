#include "map_analysis.h"

#include <algorithm>
#include <cmath>

namespace velmora::analysis {

double SensorCurve::lambdaAt(double mv) const
{
    if (points.empty())
        return 1.0;
    if (mv <= points.front().first)
        return points.front().second;
    if (mv >= points.back().first)
        return points.back().second;
    const auto upper = std::upper_bound(points.begin(), points.end(), mv,
                                        [](double v, const auto &p) { return v < p.first; });
    const auto lower = upper - 1;
    const double f = (mv - lower->first) / (upper->first - lower->first);
    return lower->second + f * (upper->second - lower->second);
}

SensorCurve SensorCurve::typicalNarrowBand()
{
    return SensorCurve{{{100, 1.10}, {200, 1.05}, {350, 1.02}, {450, 1.00}, {550, 0.98},
                        {700, 0.95}, {800, 0.92}, {900, 0.88}}};
}

double CellProposal::changePercent() const
{
    return current == 0 ? 0.0 : 100.0 * (proposed - current) / current;
}

Analysis analyze(const log::RideLog &, const DeviceImage &, const Settings &)
{
    return {}; // filled in by the next commit
}

void capChanges(MapCells &, int) {}
void smoothWithNeighbours(MapCells &) {}
int applyProposals(const Analysis &, const Exclusions &, DeviceImage &) { return 0; }
std::string report(const Analysis &, const Settings &) { return {}; }

} // namespace velmora::analysis
