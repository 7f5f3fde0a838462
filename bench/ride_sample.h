#pragma once

// A made-up ride log for the benchmarks and the manual's pictures: every column the window
// writes, one monitor reply every 330 ms, with tuning writes and Reads among the rows.
#include "log/log_format.h"
#include "model/image_layout.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmora::bench {

inline constexpr int kReplyMs = 330;

// `rideSeconds` of a ride that starts before midnight, written by the log writer the window uses:
// rpm and throttle wander like a road's, lambda follows the throttle with noise, and every three
// minutes the tuning writes a cell, every half hour a Read runs. Returns the number of monitor
// rows, -1 when the file could not be written.
inline int writeRide(const std::filesystem::path &path, int rideSeconds)
{
    using namespace std::chrono;
    std::mt19937 random(18);
    std::normal_distribution<double> noise(0, 1);
    const log::LogFormat format(true);
    std::ofstream out(path, std::ios::binary);
    out << format.header();
    const system_clock::time_point start{seconds(1798761600 - 3 * 3600)}; // 2026-12-31 21:00
    double throttle = 10, rpm = 1500;
    int rows = 0;
    link::MonitorDisplay display;
    link::MonitorSample &s = display.sample;
    s.throttleValid = s.intakeValid = s.crankRunning = s.camRunning = true;
    for (long long ms = 0; ms < rideSeconds * 1000LL; ms += kReplyMs) {
        const auto when = start + milliseconds(ms);
        if (ms % (180 * 1000) < kReplyMs) {
            const std::size_t cell = static_cast<std::size_t>(ms / 1000) % 100;
            out << format.eventRow(when, *log::tuningEvent(layout::kJetTp + cell, 120, 121));
            if (ms % (1800 * 1000) < kReplyMs)
                out << format.eventRow(
                    when, *log::transactionEvent(link::Transaction::Read, link::Outcome::Ok));
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
