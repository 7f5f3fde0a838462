// Reading a six-hour ride log: one monitor reply every 330 ms (about 65,000 rows, 12 MB) with
// Reads, Programs and tuning writes among them, written into a temporary file and then read
// whole and turned into the lambda-by-cell tables, as the log viewer does when it opens a log.
// Prints the median of several reads against the goal of under a second on a 2-core machine.
//
//   velmora_log_bench [--reads N] [--json]
#include "log/cell_lambda.h"
#include "log/ride_log.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
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

constexpr const char *kHeader =
    "time [ISO 8601],rpm [rpm],throttle [%],lambda [mV],coolant [°C],air [°C],"
    "intake pressure [%],ambient pressure [kPa],supply [V],advance [°],crank pick-up [state],"
    "cam pick-up [state],injection time 14 [us],injection time 23 [us],duty [%],"
    "blocking [state],servo desired [mV],servo measured [mV],coolant correction [%],"
    "air correction [%],pressure correction [%],start correction [%],supply correction [us],"
    "programming count [count],version mismatch [text],data error [flag],load [source],"
    "TP14 row [index],TP14 column [index],TP23 row [index],TP23 column [index],IAP row [index],"
    "IAP column [index],event [text]\n";

std::string timeText(std::time_t start, long long millis)
{
    const std::time_t seconds = start + static_cast<std::time_t>(millis / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(millis % 1000));
    return text;
}

// A ride that starts before midnight: rpm and throttle wander like a road's, lambda follows
// the throttle with noise, and every few minutes the tuning writes a cell or a Read runs.
int writeRide(const std::filesystem::path &path)
{
    std::mt19937 random(18);
    std::normal_distribution<double> noise(0, 1);
    std::ofstream out(path, std::ios::binary);
    out << kHeader;
    const std::time_t start = 1798761600 - 3 * 3600; // 2026-12-31 21:00 UTC
    double throttle = 10, rpm = 1500;
    int rows = 0;
    char line[512];
    for (long long ms = 0; ms < kRideSeconds * 1000LL; ms += kReplyMs) {
        const std::string time = timeText(start, ms);
        if (ms % (180 * 1000) < kReplyMs) {
            const int cell = static_cast<int>(ms / 1000) % 100;
            out << time << std::string(33, ',') << "tuning write: TP14 row " << cell / 10
                << " column " << cell % 10 << " from 120 to 121\n";
            if (ms % (1800 * 1000) < kReplyMs)
                out << time << std::string(33, ',') << "read: ok\n";
        }
        throttle = std::clamp(throttle + 3 * noise(random), 0.0, 100.0);
        rpm = std::clamp(rpm + 60 * noise(random) + (throttle - 30) * 2, 900.0, 9500.0);
        const int lambda =
            std::clamp(static_cast<int>(450 + 4 * (30 - throttle) + 40 * noise(random)), 20, 990);
        const int intake = static_cast<int>(throttle * 0.9);
        const int row = std::min(9, static_cast<int>(throttle / 10));
        const int column = std::min(9, static_cast<int>(rpm / 1000));
        const int injection = static_cast<int>(1500 + throttle * 40);
        std::snprintf(line, sizeof line,
                      "%s,%d,%d,%s,%d,%d,%d,%.1f,%.1f,%d,is running,is running,%d,%d,%d,OFF,%d,%d,"
                      "%.1f,%.1f,%.1f,%.1f,%d,%d,,0,%s,%d,%d,%d,%d,%d,%d,\n",
                      time.c_str(), static_cast<int>(rpm), static_cast<int>(throttle),
                      rows % 997 == 0 ? "error" : std::to_string(lambda).c_str(), 85 + rows % 7,
                      24 + rows % 3, intake, 98.0 + noise(random) * 0.2, 13.6 + noise(random) * 0.1,
                      static_cast<int>(10 + rpm / 300), injection, injection + 12,
                      static_cast<int>(rpm * injection / 1'200'000),
                      1000 + static_cast<int>(throttle * 30), 995 + static_cast<int>(throttle * 30),
                      0.0, -1.5, 2.5, 0.0, 40, 17, throttle < 50 ? "throttle" : "intake", row,
                      column, row, column, std::min(9, intake / 10), column);
        out << line;
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
