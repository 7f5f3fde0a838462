#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading a ride log: the CSV file the window and `velmora-cli monitor --csv` write, one header
// line, then one row per valid monitor reply or event.
//
// What the reader accepts, and what it skips:
// - Columns are found by their name in the header, in any order. The older column set (without
//   the cell columns, the event column or the programming count) reads; a column missing from the
//   header is a channel the log does not have. Columns the reader does not know are ignored, and
//   so is a second column of a name that came before.
// - Line ends are "\n" or "\r\n"; a UTF-8 byte-order mark before the header is ignored. Fields may
//   be quoted ("" stands for one quote, a quoted field may hold a comma or a line end). Blank lines
//   are passed over.
// - A row is dropped and counted in `skippedRows` when it has more or fewer fields than the
//   header, a closing quote is followed by anything but a comma or the line end, its time is not
//   an ISO 8601 date and time, a number field holds neither a number nor "error", a state field
//   holds none of its words, an event row has a value in any other field, a row has neither an
//   event nor a single value, or it is the last row and its line end is missing (the writer ends
//   every row, so such a row was cut off while it was written, and its last number may be short).
// - Values: a number as written; NaN where the field is empty or "error". States: "is running",
//   "ON" and "throttle" are 1; "no signal", "OFF" and "intake" are 0. A text field (the version
//   mismatch) is 1 where it holds a text and 0 where it is empty.
// - Times: "YYYY-MM-DDTHH:MM:SS", with or without a fraction of a second, with "Z", an offset
//   "+HH:MM" or none; each row's time is counted in seconds from the first row's, across
//   midnight, month and year ends.
// - An event row is one with a text in the event column; it becomes a LogEvent and no monitor
//   row. "tuning write: MAP row R column C from OLD to NEW" is parsed into map, row, column, from
//   and to.
// - The whole log is refused when the path cannot be read (Unreadable, `detail` is the system's
//   reason), the file holds no row after its header or not even a header (Empty), or the header
//   has no "time [ISO 8601]" column (NotALog).
namespace velmora::log {

enum class LogProblem { None, Unreadable, Empty, NotALog /* no time column */ };

struct LogEvent {
    double seconds = 0; // since the first row of the log
    std::string text;   // as in the file
    // Parsed from a tuning write; map -1 for other events.
    int map = -1; // 0 TP14, 1 TP23, 2 IAP
    int row = -1, column = -1, from = -1, to = -1;
};

struct RideLog {
    std::vector<std::string> columns;        // data column names as in the header, minus time/event
    std::vector<double> seconds;             // time of each monitor row since the first row
    std::vector<std::vector<double>> values; // values[column][row]; NaN where empty or "error";
                                             // states: "is running"/"ON"/"throttle" -> 1, else 0;
                                             // the version mismatch: 1 where shown, else 0
    std::vector<LogEvent> events;
    std::string startTime; // the first row's time text
    int skippedRows = 0;   // malformed rows dropped (a truncated last one...)

    int column(std::string_view name) const; // index into columns/values, or -1
};

struct LogReadResult {
    std::optional<RideLog> log;
    LogProblem problem = LogProblem::None;
    std::string detail; // e.g. the system's reason
};

// Reads the whole file in one go and parses it.
LogReadResult readRideLog(const std::filesystem::path &path);
LogReadResult parseRideLog(std::string_view text);

} // namespace velmora::log
