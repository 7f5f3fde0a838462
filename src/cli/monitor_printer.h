#pragma once

#include "link/monitor_display.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

namespace velmora::cli {

// Writes what each monitor reply shows: as the monitor labels, one to a line, or as CSV rows of
// the numbers in its sample.
// A label keeps its last colour until a reply decides it again, as on the window.
class MonitorPrinter {
public:
    static constexpr std::size_t kLabelCount = 22;

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
    std::array<std::optional<link::Colour>, kLabelCount> m_colours{};
};

// "2026-12-08T21:40:31.123Z"
std::string isoTime(std::chrono::system_clock::time_point when);

} // namespace velmora::cli
