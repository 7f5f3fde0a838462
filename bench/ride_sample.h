#pragma once

// A made-up ride log for the benchmarks and the manual's pictures: every column the window
// writes, one monitor reply every 330 ms, with tuning writes and Reads among the rows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmora::bench {

inline constexpr int kReplyMs = 330;

inline constexpr const char *kHeader =
    "time [ISO 8601],rpm [rpm],throttle [%],lambda [mV],coolant [°C],air [°C],"
    "intake pressure [%],ambient pressure [kPa],supply [V],advance [°],crank pick-up [state],"
    "cam pick-up [state],injection time 14 [us],injection time 23 [us],duty [%],"
    "blocking [state],servo desired [mV],servo measured [mV],coolant correction [%],"
    "air correction [%],pressure correction [%],start correction [%],supply correction [us],"
    "programming count [count],version mismatch [text],data error [flag],load [source],"
    "TP14 row [index],TP14 column [index],TP23 row [index],TP23 column [index],IAP row [index],"
    "IAP column [index],event [text]\n";

inline std::string timeText(std::time_t start, long long millis)
{
    const std::time_t seconds = start + static_cast<std::time_t>(millis / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[40];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(millis % 1000));
    return text;
}

// `rideSeconds` of a ride that starts before midnight: rpm and throttle wander like a road's,
// lambda follows the throttle with noise, and every few minutes the tuning writes a cell or a
// Read runs. Returns the number of monitor rows, -1 when the file could not be written.
inline int writeRide(const std::filesystem::path &path, int rideSeconds)
{
    std::mt19937 random(18);
    std::normal_distribution<double> noise(0, 1);
    std::ofstream out(path, std::ios::binary);
    out << kHeader;
    const std::time_t start = 1798761600 - 3 * 3600; // 2026-12-31 21:00 UTC
    double throttle = 10, rpm = 1500;
    int rows = 0;
    char line[512];
    for (long long ms = 0; ms < rideSeconds * 1000LL; ms += kReplyMs) {
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

// A ride of `rideSeconds` in a temporary file of its own, named after `program`, removed again
// when this goes.
class RideFile {
public:
    RideFile(const char *program, int rideSeconds)
        : m_path(std::filesystem::temp_directory_path() /
                 (std::string(program) + "-" + std::to_string(::getpid()) + ".csv")),
          m_rows(writeRide(m_path, rideSeconds))
    {
        if (m_rows < 0)
            std::fprintf(stderr, "cannot write %s\n", m_path.c_str());
    }
    ~RideFile() { std::filesystem::remove(m_path); }
    RideFile(const RideFile &) = delete;
    RideFile &operator=(const RideFile &) = delete;

    const std::filesystem::path &path() const { return m_path; }
    int rows() const { return m_rows; } // -1 when it could not be written

private:
    std::filesystem::path m_path;
    int m_rows;
};

// The command line of a ride-log benchmark: `--json` and `<runsOption> N`. None, after the usage
// line, on any other word.
struct RideBenchOptions {
    bool json = false;
    int runs = 1;
};
inline std::optional<RideBenchOptions> rideBenchOptions(int argc, char **argv, const char *program,
                                                        const char *runsOption, int runs)
{
    RideBenchOptions options{false, runs};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0) {
            options.json = true;
        } else if (std::strcmp(argv[i], runsOption) == 0 && i + 1 < argc) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: %s [%s N] [--json]\n", program, runsOption);
            return std::nullopt;
        }
    }
    return options;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace velmora::bench
