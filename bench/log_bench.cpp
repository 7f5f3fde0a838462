// Reading a six-hour ride log: one monitor reply every 330 ms (about 65,000 rows, 12 MB) with
// Reads, Programs and tuning writes among them, written into a temporary file and then read
// whole and turned into the lambda-by-cell tables, as the log viewer does when it opens a log.
// Prints the median of several reads against the goal of under a second on a 2-core machine.
//
//   velmora_log_bench [--reads N] [--json]
#include "log/cell_lambda.h"
#include "log/log_format.h"
#include "log/ride_log.h"
#include "model/image_layout.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRideSeconds = 6 * 3600;
constexpr int kReplyMs = 330;
constexpr int kDefaultReads = 7;
constexpr double kGoalMs = 1000;

// A ride that starts before midnight, written by the log writer the window uses: rpm and
// throttle wander like a road's, lambda follows the throttle with noise, and every three minutes
// the tuning writes a cell, every half hour a Read runs.
int writeRide(const std::filesystem::path &path)
{
    using namespace std::chrono;
    std::mt19937 random(18);
    std::normal_distribution<double> noise(0, 1);
    const velmora::log::LogFormat format(true);
    std::ofstream out(path, std::ios::binary);
    out << format.header();
    const system_clock::time_point start{seconds(1798761600 - 3 * 3600)}; // 2026-12-31 21:00
    double throttle = 10, rpm = 1500;
    int rows = 0;
    velmora::link::MonitorDisplay display;
    velmora::link::MonitorSample &s = display.sample;
    s.throttleValid = s.intakeValid = s.crankRunning = s.camRunning = true;
    for (long long ms = 0; ms < kRideSeconds * 1000LL; ms += kReplyMs) {
        const auto when = start + milliseconds(ms);
        if (ms % (180 * 1000) < kReplyMs) {
            const std::size_t cell = static_cast<std::size_t>(ms / 1000) % 100;
            out << format.eventRow(
                when, *velmora::log::tuningEvent(velmora::layout::kJetTp + cell, 120, 121));
            if (ms % (1800 * 1000) < kReplyMs)
                out << format.eventRow(
                    when, *velmora::log::transactionEvent(velmora::link::Transaction::Read,
                                                          velmora::link::Outcome::Ok));
        }
        throttle = std::clamp(throttle + 3 * noise(random), 0.0, 100.0);
        rpm = std::clamp(rpm + 60 * noise(random) + (throttle - 30) * 2, 900.0, 9500.0);
        s.rpm = static_cast<int>(rpm);
        s.throttlePercent = static_cast<int>(throttle);
        s.lambdaMv =
            std::clamp(static_cast<int>(450 + 4 * (30 - throttle) + 40 * noise(random)), 20, 990);
        // Now and then a reply the monitor shows as "error".
        s.intakeValid = rows % 997 != 0;
        s.intakePercent = static_cast<int>(throttle * 0.9);
        s.coolantCelsius = 85 + rows % 7;
        s.airCelsius = 24 + rows % 3;
        s.ambientKpa = 98.0 + noise(random) * 0.2;
        s.supplyVolts = 13.6 + noise(random) * 0.1;
        s.advanceDegrees = static_cast<int>(10 + rpm / 300);
        s.injection14Us = static_cast<int>(1500 + throttle * 40);
        s.injection23Us = s.injection14Us + 12;
        s.dutyPercent = static_cast<int>(rpm * s.injection14Us / 1'200'000);
        s.servoDesiredMv = 1000 + static_cast<int>(throttle * 30);
        s.servoMeasuredMv = s.servoDesiredMv - 5;
        s.airCorrectionPercent = -1.5;
        s.pressureCorrectionPercent = 2.5;
        s.supplyCorrectionUs = 40;
        s.programmingCount = 17;
        s.throttleLoad = throttle < 50;
        s.cells.tpRow = std::min(9, static_cast<int>(throttle / 10));
        s.cells.tp14Column = s.cells.tp23Column = std::min(9, static_cast<int>(rpm / 1000));
        s.cells.iapRow = std::min(9, s.intakePercent / 10);
        s.cells.iapColumn = s.cells.tp14Column;
        out << format.monitorRow(display, when);
        ++rows;
    }
    out.close();
    return out ? rows : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    bool json = false;
    int reads = kDefaultReads;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            json = true;
        } else if (std::strcmp(argv[i], "--reads") == 0 && i + 1 < argc) {
            reads = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: velmora_log_bench [--reads N] [--json]\n");
            return 2;
        }
    }
    const auto path = std::filesystem::temp_directory_path() /
                      ("velmora-log-bench-" + std::to_string(::getpid()) + ".csv");
    const int rows = writeRide(path);
    if (rows < 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
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
            std::filesystem::remove(path);
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
    std::filesystem::remove(path);

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
