#include "ride_log.h"

#include "log_format.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velmora::log {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::string_view kTimeColumn = "time [ISO 8601]";
constexpr std::string_view kEventColumn = "event [text]";

// How a column's fields turn into values.
enum class Kind { Number, State, Source, Text };

// How a column of the writer's header reads, by the unit its name ends in.
Kind kindOf(std::string_view name)
{
    constexpr std::array<std::pair<std::string_view, Kind>, 3> kUnits{{
        {"[state]", Kind::State},
        {"[source]", Kind::Source},
        {"[text]", Kind::Text},
    }};
    for (const auto &[unit, kind] : kUnits)
        if (name.size() >= unit.size() && name.substr(name.size() - unit.size()) == unit)
            return kind;
    return Kind::Number;
}

// The names of every column the writer writes, the programming count included: a column of
// another name is one the reader does not know.
bool knownColumn(std::string_view header, std::string_view name)
{
    while (!header.empty()) {
        const std::size_t end = std::min(header.find_first_of(",\n"), header.size());
        if (header.substr(0, end) == name)
            return true;
        header.remove_prefix(std::min(end + 1, header.size()));
    }
    return false;
}

struct Word {
    std::string_view text;
    double value;
};
constexpr std::array<Word, 4> kStateWords{{
    {"is running", 1},
    {"no signal", 0},
    {"ON", 1},
    {"OFF", 0},
}};
constexpr std::array<Word, 2> kSourceWords{{{"throttle", 1}, {"intake", 0}}};

// ---- Splitting the text into records ----

enum class RecordEnd { Line, Malformed, EndOfText };

// Splits the text into records, a record into fields that view the text. A quoted field that
// holds "" is unquoted into a string kept for its field position, reused from record to record,
// so a field allocates nothing once the first rows are read. The strings live in a deque: one
// added for a later field must not move those the fields before it view.
class RecordReader {
public:
    explicit RecordReader(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }

    RecordEnd next(std::vector<std::string_view> &fields)
    {
        fields.clear();
        for (;;) {
            const std::size_t index = fields.size();
            std::string_view field;
            if (m_pos < m_text.size() && m_text[m_pos] == '"') {
                if (!quoted(index, field))
                    return RecordEnd::EndOfText;
                fields.push_back(field);
                if (m_pos < m_text.size() && m_text[m_pos] == '\r' && m_pos + 1 < m_text.size() &&
                    m_text[m_pos + 1] == '\n')
                    ++m_pos;
                if (m_pos < m_text.size() && m_text[m_pos] != ',' && m_text[m_pos] != '\n') {
                    skipLine();
                    return RecordEnd::Malformed;
                }
            } else {
                const std::size_t start = m_pos;
                while (m_pos < m_text.size() && m_text[m_pos] != ',' && m_text[m_pos] != '\n')
                    ++m_pos;
                field = m_text.substr(start, m_pos - start);
                if (m_pos < m_text.size() && m_text[m_pos] == '\n' && !field.empty() &&
                    field.back() == '\r')
                    field.remove_suffix(1);
                fields.push_back(field);
            }
            if (m_pos >= m_text.size())
                return RecordEnd::EndOfText;
            if (m_text[m_pos++] == '\n')
                return RecordEnd::Line;
        }
    }

private:
    // The field after an opening quote; false when the text ends before its closing quote.
    bool quoted(std::size_t index, std::string_view &field)
    {
        const std::size_t start = ++m_pos;
        bool doubled = false;
        for (;;) {
            const std::size_t quote = m_text.find('"', m_pos);
            if (quote == std::string_view::npos) {
                m_pos = m_text.size();
                return false;
            }
            if (quote + 1 < m_text.size() && m_text[quote + 1] == '"') {
                doubled = true;
                m_pos = quote + 2;
                continue;
            }
            field = m_text.substr(start, quote - start);
            m_pos = quote + 1;
            break;
        }
        if (doubled) {
            if (m_pool.size() <= index)
                m_pool.resize(index + 1);
            std::string &unquoted = m_pool[index];
            unquoted.clear();
            for (std::size_t i = 0; i < field.size(); ++i) {
                unquoted += field[i];
                if (field[i] == '"')
                    ++i;
            }
            field = unquoted;
        }
        return true;
    }

    void skipLine()
    {
        const std::size_t end = m_text.find('\n', m_pos);
        m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::deque<std::string> m_pool;
};

// ---- Fields ----

bool number(std::string_view text, double &value)
{
    if (text.empty() || text == "error") {
        value = kNaN;
        return true;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

template <std::size_t N>
bool word(std::string_view text, const std::array<Word, N> &words, double &value)
{
    if (text.empty() || text == "error") {
        value = kNaN;
        return true;
    }
    for (const Word &known : words) {
        if (known.text == text) {
            value = known.value;
            return true;
        }
    }
    return false;
}

bool fieldValue(Kind kind, std::string_view text, double &value)
{
    switch (kind) {
    case Kind::Number:
        return number(text, value);
    case Kind::State:
        return word(text, kStateWords, value);
    case Kind::Source:
        return word(text, kSourceWords, value);
    case Kind::Text:
        value = text.empty() ? 0 : 1;
        return true;
    }
    return false;
}

// A time as whole seconds since 1970-01-01 and nanoseconds, so that the difference of two times
// is exact and each row's seconds are as close to the written time as a double comes.
struct Instant {
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;
};

std::int64_t daysFromCivil(int year, int month, int day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = static_cast<int>(year - era * 400);
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

bool leapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// Exactly `count` digits at `pos`, or false.
bool digits(std::string_view text, std::size_t pos, std::size_t count, int &value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Exact in nanoseconds and rounded once, for times up to 290 years apart; a time further from the
// first row than that (a wrong clock) is counted in whole seconds.
double secondsBetween(const Instant &first, const Instant &later)
{
    constexpr std::int64_t kExactSpan =
        std::numeric_limits<std::int64_t>::max() / 1'000'000'000 - 1;
    const std::int64_t whole = later.seconds - first.seconds;
    const std::int64_t nanoseconds = later.nanoseconds - first.nanoseconds;
    if (whole > kExactSpan || whole < -kExactSpan)
        return static_cast<double>(whole) + static_cast<double>(nanoseconds) / 1e9;
    return static_cast<double>(whole * 1'000'000'000 + nanoseconds) / 1e9;
}

// "YYYY-MM-DDTHH:MM:SS[.fff...][Z|+HH:MM|-HH:MM]".
bool isoTime(std::string_view text, Instant &instant)
{
    int year, month, day, hour, minute, second;
    if (!digits(text, 0, 4, year) || text.size() < 19 || text[4] != '-' ||
        !digits(text, 5, 2, month) || text[7] != '-' || !digits(text, 8, 2, day) ||
        text[10] != 'T' || !digits(text, 11, 2, hour) || text[13] != ':' ||
        !digits(text, 14, 2, minute) || text[16] != ':' || !digits(text, 17, 2, second))
        return false;
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 60)
        return false;
    std::size_t pos = 19;
    std::int64_t nanoseconds = 0;
    if (pos < text.size() && text[pos] == '.') {
        // Digits past the ninth are finer than a double of a six-hour ride keeps anyway.
        std::int64_t scale = 100'000'000;
        const std::size_t first = ++pos;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos, scale /= 10)
            nanoseconds += (text[pos] - '0') * scale;
        if (pos == first)
            return false;
    }
    int offset = 0;
    if (pos < text.size() && text[pos] == 'Z') {
        ++pos;
    } else if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        int offsetHours, offsetMinutes;
        if (!digits(text, pos + 1, 2, offsetHours) || pos + 3 >= text.size() ||
            text[pos + 3] != ':' || !digits(text, pos + 4, 2, offsetMinutes) || offsetHours > 23 ||
            offsetMinutes > 59)
            return false;
        offset = (offsetHours * 60 + offsetMinutes) * 60 * (text[pos] == '-' ? -1 : 1);
        pos += 6;
    }
    if (pos != text.size())
        return false;
    instant.seconds =
        daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
    instant.nanoseconds = nanoseconds;
    return true;
}

// Reads one whole number after `prefix` at the start of `text` and moves past it.
bool take(std::string_view &text, std::string_view prefix, int &value)
{
    if (text.substr(0, prefix.size()) != prefix)
        return false;
    text.remove_prefix(prefix.size());
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc())
        return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

// "tuning write: MAP row R column C from OLD to NEW"; the event keeps -1 everywhere otherwise.
void parseTuningWrite(LogEvent &event)
{
    constexpr std::string_view kPrefix = "tuning write: ";
    std::string_view rest = event.text;
    if (rest.substr(0, kPrefix.size()) != kPrefix)
        return;
    rest.remove_prefix(kPrefix.size());
    const auto map =
        std::find_if(kInjectionMaps.begin(), kInjectionMaps.end(), [&](const InjectionMap &m) {
            return rest.substr(0, m.name.size()) == m.name;
        });
    if (map == kInjectionMaps.end())
        return;
    rest.remove_prefix(map->name.size());
    int row, column, from, to;
    if (!take(rest, " row ", row) || !take(rest, " column ", column) ||
        !take(rest, " from ", from) || !take(rest, " to ", to) || !rest.empty())
        return;
    event.map = static_cast<int>(map - kInjectionMaps.begin());
    event.row = row;
    event.column = column;
    event.from = from;
    event.to = to;
}

// What each field of the header stands for.
constexpr int kIgnored = -1;
constexpr int kTime = -2;
constexpr int kEvent = -3;

} // namespace

int RideLog::column(std::string_view name) const
{
    const auto found = std::find(columns.begin(), columns.end(), name);
    return found == columns.end() ? -1 : static_cast<int>(found - columns.begin());
}

LogReadResult parseRideLog(std::string_view text)
{
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        text.remove_prefix(kByteOrderMark.size());

    LogReadResult result;
    RecordReader reader(text);
    std::vector<std::string_view> fields;
    fields.reserve(64);
    const auto blank = [&] { return fields.size() == 1 && fields.front().empty(); };

    RecordEnd end = RecordEnd::Line;
    do {
        if (reader.atEnd()) {
            result.problem = LogProblem::Empty;
            return result;
        }
        end = reader.next(fields);
    } while (blank());

    RideLog log;
    const std::string writerHeader = LogFormat(true).header();
    std::vector<int> slots(fields.size(), kIgnored);
    std::vector<Kind> kinds;
    bool hasTime = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string_view name = fields[i];
        if (name == kTimeColumn && !hasTime) {
            slots[i] = kTime;
            hasTime = true;
        } else if (name == kEventColumn &&
                   std::find(slots.begin(), slots.end(), kEvent) == slots.end()) {
            slots[i] = kEvent;
        } else if (name != kTimeColumn && name != kEventColumn && knownColumn(writerHeader, name) &&
                   log.column(name) < 0) {
            slots[i] = static_cast<int>(log.columns.size());
            log.columns.emplace_back(name);
            kinds.push_back(kindOf(name));
        }
    }
    if (!hasTime) {
        result.problem = LogProblem::NotALog;
        return result;
    }

    // Room for every row without a second allocation: a row is a line of a time and a comma a
    // field at least, which also keeps a file of blank lines from reserving more than it holds.
    const std::size_t shortestRow = 19 + slots.size();
    const std::size_t rows =
        std::min<std::size_t>(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')),
                              text.size() / shortestRow + 1);
    log.values.resize(log.columns.size());
    for (std::vector<double> &column : log.values)
        column.reserve(rows);
    log.seconds.reserve(rows);

    std::vector<double> row(log.columns.size());
    std::optional<Instant> first;
    bool anyRow = false;
    while (end != RecordEnd::EndOfText && !reader.atEnd()) {
        end = reader.next(fields);
        if (blank())
            continue;
        anyRow = true;
        if (end != RecordEnd::Line || fields.size() != slots.size()) {
            ++log.skippedRows;
            continue;
        }
        Instant instant;
        std::string_view timeText, eventText;
        bool valid = true, anyValue = false;
        for (std::size_t i = 0; i < fields.size() && valid; ++i) {
            const int slot = slots[i];
            if (slot == kTime) {
                timeText = fields[i];
                valid = isoTime(timeText, instant);
            } else if (slot == kEvent) {
                eventText = fields[i];
            } else if (slot >= 0) {
                anyValue = anyValue || !fields[i].empty();
                valid = fieldValue(kinds[slot], fields[i], row[slot]);
            }
        }
        // An event row holds nothing but its time and its text; a monitor row holds a value.
        if (!valid || eventText.empty() != anyValue) {
            ++log.skippedRows;
            continue;
        }
        if (!first) {
            first = instant;
            log.startTime = timeText;
        }
        const double seconds = secondsBetween(*first, instant);
        if (!eventText.empty()) {
            LogEvent &event = log.events.emplace_back();
            event.seconds = seconds;
            event.text = eventText;
            parseTuningWrite(event);
            continue;
        }
        log.seconds.push_back(seconds);
        for (std::size_t c = 0; c < row.size(); ++c)
            log.values[c].push_back(row[c]);
    }
    if (!anyRow) {
        result.problem = LogProblem::Empty;
        return result;
    }
    result.log = std::move(log);
    return result;
}

LogReadResult readRideLog(const std::filesystem::path &path)
{
    LogReadResult result;
    const auto refuse = [&](int error) {
        result.problem = LogProblem::Unreadable;
        result.detail = std::strerror(error);
        return result;
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return refuse(errno);
    struct stat status {};
    if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
        const int error = S_ISDIR(status.st_mode) ? EISDIR : errno;
        ::close(fd);
        return refuse(error);
    }
    // One read for the size the file has now; a log still being written may have grown since,
    // and what came after is read too.
    std::string text;
    text.resize(static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const ssize_t n = ::read(fd, text.data() + used, text.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return refuse(error);
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    text.resize(used);
    return parseRideLog(text);
}

} // namespace velmora::log
