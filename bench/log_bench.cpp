// Reading a six-hour ride log: one monitor reply every 330 ms (about 65,000 rows, 12 MB) with
// Reads, Programs and tuning writes among them, written into a temporary file and then read
// whole and turned into the lambda-by-cell tables, as the log viewer does when it opens a log.
// Prints the median of several reads against the goal of under a second on a 2-core machine.
//
//   velmora_log_bench [--reads N] [--json]
#include "log/cell_lambda.h"
#include "log/ride_log.h"
#include "ride_sample.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRideSeconds = 6 * 3600;
constexpr int kDefaultReads = 7;
constexpr double kGoalMs = 1000;

} // namespace

int main(int argc, char **argv)
{
    const auto options =
        velmora::bench::rideBenchOptions(argc, argv, "velmora_log_bench", "--reads", kDefaultReads);
    if (!options)
        return 2;
    const bool json = options->json;
    const int reads = options->runs;
    const velmora::bench::RideFile ride("velmora-log-bench", kRideSeconds);
    const std::filesystem::path &path = ride.path();
    const int rows = ride.rows();
    if (rows < 0)
        return 1;
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    std::vector<double> readMs, lambdaMs, totalMs;
    int samples = 0;
    for (int i = 0; i < reads; ++i) {
        const auto begin = Clock::now();
        const velmora::log::LogReadResult read = velmora::log::readRideLog(path);
        const auto parsed = Clock::now();
        if (!read.log || static_cast<int>(read.log->seconds.size()) != rows ||
            read.log->skippedRows != 0) {
            std::fprintf(stderr, "the ride did not read back whole\n");
            return 1;
        }
        const auto maps = velmora::log::lambdaByCell(*read.log);
        const auto end = Clock::now();
        samples = 0;
        for (const auto &row : maps[0])
            for (const auto &cell : row)
                samples += cell.samples;
        readMs.push_back(ms(parsed - begin));
        lambdaMs.push_back(ms(end - parsed));
        totalMs.push_back(ms(end - begin));
    }

    using velmora::bench::median;
    if (json) {
        std::printf("{\"rows\": %d, \"megabytes\": %.1f, \"read_ms_median\": %.2f, "
                    "\"lambda_ms_median\": %.2f, \"open_ms_median\": %.2f}\n",
                    rows, megabytes, median(readMs), median(lambdaMs), median(totalMs));
        return 0;
    }
    std::printf("A six-hour ride log: %d rows, %.1f MB, %d TP14 samples by cell\n", rows, megabytes,
                samples);
    std::printf("  read (median of %d):          %8.1f ms\n", reads, median(readMs));
    std::printf("  lambda by cell (median):      %8.1f ms\n", median(lambdaMs));
    std::printf("  both (median):                %8.1f ms   goal: under %.0f ms\n", median(totalMs),
                kGoalMs);
    return 0;
}
