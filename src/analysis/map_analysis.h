#pragma once

#include "log/ride_log.h"
#include "model/device_image.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// A curve from text: one point a line, "mV lambda", blank lines and lines starting with '#'
// ignored. None unless there are at least two points, the millivolts rise from line to line and
// every lambda is above 0.
std::optional<SensorCurve> parseSensorCurve(std::string_view text);

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
    bool estimated = false;  // the weight reached the minimum, so `proposed` is an estimate
    double weight = 0;       // summed bilinear weight of trusted rows
    double meanLambdaMv = 0; // weighted
    double meanLambda = 0;   // weighted mean of each row's reading through the sensor curve
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
    int targetMv = 0, toleranceMv = 0; // from the set's TUNING values
    double targetLambda = 0;           // the target through the sensor curve
    int accelPercentPerSecond = 0;     // the set's ACCEL threshold
    std::array<MapCells, kMaps> maps;
};

// The filters, in the order of Filter, each judged only where the row has what it looks at:
// coolant below warmCelsius; lambda at or beyond a rail, or in a run of stuckRows or more equal
// readings; fewer than steadyRows replies in a row at the same nearest point of every axis (the
// three speed axes, the throttle rows, the intake rows); throttle rising faster than the set's
// ACCEL threshold since the reply before, and every reply up to accelHoldOffSeconds after it;
// duty at or above maxDutyPercent or an injection time of 0; rpm below minRpm; a reply from the
// time of a "program: ..." or "tuning write: ..." event up to eventHoldOffSeconds after it; a
// reply without rpm, lambda, load source, or the load (throttle or intake) of its source.
//
// A trusted row counts for the maps its load source feeds (TP14 and TP23 on throttle, IAP on
// intake) among those chosen in `settings.maps`, spread bilinearly over the (up to) four cells
// around its point: the speed on the map's axis of `base`, the throttle on the rows 0, 2, 5 ...
// 100 % or the intake pressure on the rows 10 ... 100 %; beyond the ends of an axis it goes to
// the end cells.
//
// A cell with at least minWeight is estimated. When its mean reading lies inside the TUNING
// target +- tolerance it keeps its byte; otherwise the byte is scaled by mean lambda / target
// lambda (more fuel when leaner than the target), rounded, moved at least one step towards the
// target, capped to capSteps and clamped 0..250.
Analysis analyze(const log::RideLog &log, const DeviceImage &base, const Settings &settings);
// The filter that removed each monitor row of `log`, none for a trusted row.
std::vector<std::optional<Filter>> filterRows(const log::RideLog &log, const DeviceImage &base,
                                              const Settings &settings);

// Review helpers (the review window and the command line use these):
void capChanges(MapCells &cells, int maxSteps); // limits |proposed - current|
// Each cell that proposes a change gets the mean of its own change and the mean change of its
// estimated neighbours (left, right, above, below; a cell on target counts as a change of 0),
// rounded half away from zero, clamped 0..250. Cells that propose nothing stay as they are, and a
// cell with no estimated neighbour keeps its change. All cells read the changes from before.
void smoothWithNeighbours(MapCells &cells);
// Writes the proposals of the maps/cells not excluded into `image` (bytes 300/400/500 + 10r + c),
// clamped 0..250, and returns how many bytes changed.
int applyProposals(const Analysis &analysis, const Exclusions &excluded, DeviceImage &image);
// The command line's text in `language` (0 Czech, 1 English, 2 German): one tab-separated line
// per visited cell (map, row, column, current, proposed, change in %, weight), then the rows each
// filter removed.
// One filter with its thresholds, in `language`, as the report and the review window name it.
std::string filterText(Filter filter, const Analysis &analysis, const Settings &settings,
                       std::uint8_t language);
std::string report(const Analysis &analysis, const Settings &settings, std::uint8_t language = 1);

} // namespace velmora::analysis
