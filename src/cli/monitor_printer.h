#pragma once

#include "link/monitor_display.h"
#include "log/log_format.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace velmora::cli {

// Writes what each monitor reply shows: as the monitor labels, one to a line, or as the rows of a
// ride log, as the window writes them.
// A label keeps its last colour until a reply decides it again, as on the window.
class MonitorPrinter {
public:
    static constexpr std::size_t kLabelCount = log::kMonitorColumnCount;

    MonitorPrinter(std::ostream &out, std::uint8_t language, bool extended, bool csv);

    // The CSV header; nothing for the label form.
    void begin();
    void print(const link::MonitorDisplay &display, std::chrono::system_clock::time_point when);

private:
    void printLabels(const link::MonitorDisplay &display);
    void printRow(const link::MonitorDisplay &display, std::chrono::system_clock::time_point when);

    std::ostream &m_out;
    std::uint8_t m_language;
    bool m_extended;
    bool m_csv;
    log::LogFormat m_format;
    std::array<std::optional<link::Colour>, kLabelCount> m_colours{};
};

} // namespace velmora::cli
