#pragma once

#include "link/link.h"
#include "link/monitor_display.h"
#include "model/image_layout.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::log {

// The injection maps in the order of the log's cell columns (0 TP14, 1 TP23, 2 IAP): the name
// the log gives each and the image byte of its cell in row 0, column 0.
struct InjectionMap {
    std::string_view name;
    std::size_t start;
};
inline constexpr std::array<InjectionMap, 3> kInjectionMaps{{
    {"TP14", layout::kJetTp},
    {"TP23", layout::kJetTpi},
    {"IAP", layout::kJetIap},
}};

// The image byte of the cell in `row` and `column` of injection map `map`.
constexpr std::size_t mapCellByte(std::size_t map, std::size_t row, std::size_t column)
{
    return kInjectionMaps[map].start + layout::kMapSide * row + column;
}

// One monitor label as the log writes it: the label it stands for, its column name and the field,
// taken from the sample rather than from the label's text.
struct MonitorColumn {
    link::LabelText link::MonitorDisplay::*label;
    const char *name;
    std::string (*value)(const link::MonitorSample &);
};

inline constexpr std::size_t kMonitorColumnCount = 22;
// The labels in the order a log and the command line's label form write them.
const std::array<MonitorColumn, kMonitorColumnCount> &monitorColumns();

// A CSV field, quoted when it holds a separator, a quote or a line end.
std::string csvField(std::string_view value);
// "2026-12-08T21:40:31.123Z"
std::string isoTime(std::chrono::system_clock::time_point when);

// The rows of a ride log: one header, a row per valid monitor reply and a row per event, each
// ending in "\n". The programming count is a column only when asked for; the window always
// writes it, the command line with its extended monitor.
class LogFormat {
public:
    explicit LogFormat(bool programmingCount) : m_programmingCount(programmingCount) {}

    std::string header() const;
    std::string monitorRow(const link::MonitorDisplay &display,
                           std::chrono::system_clock::time_point when) const;
    // Only the time and the event are filled in.
    std::string eventRow(std::chrono::system_clock::time_point when, std::string_view event) const;
    std::size_t columnCount() const;

private:
    bool m_programmingCount;
};

// "program: ok"; none for a tuning write, which the cell it changed stands for.
std::optional<std::string> transactionEvent(link::Transaction transaction, link::Outcome outcome);
// "tuning write: TP14 row 3 column 5 from 120 to 122"; none for an offset outside the three
// injection maps.
std::optional<std::string> tuningEvent(std::size_t offset, std::uint8_t from, std::uint8_t to);

} // namespace velmora::log
