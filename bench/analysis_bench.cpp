// Analysing a six-hour ride log: one monitor reply every 330 ms (about 65,000 rows) with Reads
// and tuning writes among them, read whole and then run through the map analysis's filters,
// weighting and estimate against model 0's defaults, as `velmora-cli analyze` does. Prints the
// medians of several runs against the goal of under a second on a 2-core machine.
//
//   velmora_analysis_bench [--runs N] [--json]
#include "analysis/map_analysis.h"
#include "log/ride_log.h"
#include "model/parameter_set.h"
#include "ride_sample.h"

#include <chrono>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRideSeconds = 6 * 3600;
constexpr int kDefaultRuns = 7;
constexpr double kGoalMs = 1000;

} // namespace

int main(int argc, char **argv)
{
    using namespace velmora;
    const auto options =
        bench::rideBenchOptions(argc, argv, "velmora_analysis_bench", "--runs", kDefaultRuns);
    if (!options)
        return 2;
    const bench::RideFile ride("velmora-analysis-bench", kRideSeconds);
    if (ride.rows() < 0)
        return 1;
    DeviceImage base;
    applyDefaults(base);
    consistencyPass(base);
    const analysis::Settings settings;

    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    std::vector<double> analysisMs, totalMs;
    int trusted = 0, proposals = 0;
    for (int i = 0; i < options->runs; ++i) {
        const auto begin = Clock::now();
        const log::LogReadResult read = log::readRideLog(ride.path());
        const auto parsed = Clock::now();
        if (!read.log || static_cast<int>(read.log->seconds.size()) != ride.rows()) {
            std::fprintf(stderr, "the ride did not read back whole\n");
            return 1;
        }
        const analysis::Analysis result = analysis::analyze(*read.log, base, settings);
        const auto end = Clock::now();
        trusted = result.trusted;
        proposals = 0;
        for (const analysis::MapCells &map : result.maps)
            for (const auto &row : map)
                for (const analysis::CellProposal &cell : row)
                    proposals += cell.proposes();
        analysisMs.push_back(ms(end - parsed));
        totalMs.push_back(ms(end - begin));
    }

    using bench::median;
    if (options->json) {
        std::printf("{\"rows\": %d, \"trusted\": %d, \"proposals\": %d, "
                    "\"analysis_ms_median\": %.2f, \"read_analysis_ms_median\": %.2f}\n",
                    ride.rows(), trusted, proposals, median(analysisMs), median(totalMs));
        return 0;
    }
    std::printf("A six-hour ride log: %d rows, %d trusted, %d cells with a proposal\n", ride.rows(),
                trusted, proposals);
    std::printf("  analysis (median of %d):      %8.1f ms   goal: under %.0f ms\n", options->runs,
                median(analysisMs), kGoalMs);
    std::printf("  read + analysis (median):     %8.1f ms   goal: under %.0f ms\n",
                median(totalMs), kGoalMs);
    return 0;
}
