#pragma once

#include "log/ride_log.h"
#include "model/device_image.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

// Whole-map analysis of a ride log: from the trusted monitor rows of a log, a proposed byte for
// every injection-map cell the engine visited, meant to be reviewed before it is applied and
// repeated ride after ride. The one-cell tuning of the link is a separate thing and stays as it is.
namespace velmora::analysis {

inline constexpr int kMaps = 3; // 0 TP14, 1 TP23, 2 IAP (as the log's cell columns)
inline constexpr int kCells = 10; // rows and columns of a map

// How a narrow-band sensor's millivolts turn into the mixture: points (mV, lambda) in ascending
// mV, interpolated linearly, clamped at the ends. The default is a typical narrow-band curve;
// the user may give another (command line: --sensor FILE of "mV lambda" lines).
struct SensorCurve {
    std::vector<std::pair<double, double>> points;

    double lambdaAt(double mv) const;
    static SensorCurve typicalNarrowBand();
};

struct Settings {                         // every default documented in the manual and in --help
    int warmCelsius = 70;                 // coolant at or above
    int railLowMv = 50, railHighMv = 950; // a reading at or beyond a rail is not trusted
    int stuckRows = 10;                   // this many equal lambda readings in a row: not active
    int steadyRows = 3;                   // replies in the same cells (all axes) before a row counts
    double accelHoldOffSeconds = 1.0;     // after throttle rose faster than the set's ACCEL value
    int minRpm = 1500;                    // speed above idle
    int maxDutyPercent = 90;              // duty at or above, or an injection time of 0: at limit
    double eventHoldOffSeconds = 2.0;     // after a program / tuning write event row
    double minWeight = 3.0;               // a cell needs at least this summed bilinear weight
    int capSteps = 6;                     // at most this many steps (cell units) per cell per ride
    SensorCurve sensor = SensorCurve::typicalNarrowBand();
    std::array<bool, kMaps> maps{true, true, true};
};

// Why a monitor row was not trusted; a row counts under the first filter (in this order) it hits.
enum class Filter {
    Cold,
    SensorInactive,
    NotSteady,
    Acceleration,
    InjectionLimit,
    Idle,
    AfterWrite,
    NoCells /* the row lacks what the analysis needs */
};
inline constexpr int kFilters = 8;

struct CellProposal {
    bool visited = false;    // any trusted weight at all
    double weight = 0;       // summed bilinear weight of trusted rows
    double meanLambdaMv = 0; // weighted
    int current = 0;         // the cell's byte now
    int proposed = 0;        // == current when no change (within band, or weight too small)

    bool proposes() const { return visited && proposed != current; }
    double changePercent() const; // (proposed - current) / current in percent; 0 for a 0 cell
};

using MapCells = std::array<std::array<CellProposal, kCells>, kCells>; // [row][column]
using Exclusions = std::array<std::array<std::array<bool, kCells>, kCells>, kMaps>;

struct Analysis {
    int rows = 0;                        // monitor rows in the log
    std::array<int, kFilters> removed{}; // rows each filter removed (first filter that hit)
    int trusted = 0;
    std::array<MapCells, kMaps> maps;
};

Analysis analyze(const log::RideLog &log, const DeviceImage &base, const Settings &settings);

// Review helpers (the review window and the command line use these):
void capChanges(MapCells &cells, int maxSteps); // limits |proposed - current|
void smoothWithNeighbours(MapCells &cells);     // proposals blended with visited neighbours
// Writes the proposals of the maps/cells not excluded into `image` (bytes 300/400/500 + 10r + c),
// clamped 0..250, and returns how many bytes changed.
int applyProposals(const Analysis &analysis, const Exclusions &excluded, DeviceImage &image);
std::string report(const Analysis &analysis, const Settings &settings); // the CLI's text

} // namespace velmora::analysis
