#include "monitor_printer.h"

#include "cli_texts.h"

#include <cctype>
#include <ctime>
#include <string_view>

namespace velmora::cli {
namespace {

struct Column {
    link::LabelText link::MonitorDisplay::*member;
    const char *name;
};

// The labels in the order the tool prints them.
constexpr std::array<Column, MonitorPrinter::kLabelCount> kColumns{{
    {&link::MonitorDisplay::rpm, "rpm [rpm]"},
    {&link::MonitorDisplay::throttle, "throttle [%]"},
    {&link::MonitorDisplay::lambda, "lambda [mV]"},
    {&link::MonitorDisplay::coolant, "coolant [°C]"},
    {&link::MonitorDisplay::air, "air [°C]"},
    {&link::MonitorDisplay::intakePressure, "intake pressure [%]"},
    {&link::MonitorDisplay::ambientPressure, "ambient pressure [kPa]"},
    {&link::MonitorDisplay::supply, "supply [V]"},
    {&link::MonitorDisplay::advance, "advance [°]"},
    {&link::MonitorDisplay::crankPickup, "crank pick-up [state]"},
    {&link::MonitorDisplay::camPickup, "cam pick-up [state]"},
    {&link::MonitorDisplay::injection14, "injection time 14 [us]"},
    {&link::MonitorDisplay::injection23, "injection time 23 [us]"},
    {&link::MonitorDisplay::duty, "duty [%]"},
    {&link::MonitorDisplay::blocking, "blocking [state]"},
    {&link::MonitorDisplay::servoDesired, "servo desired [mV]"},
    {&link::MonitorDisplay::servoMeasured, "servo measured [mV]"},
    {&link::MonitorDisplay::coolantCorrection, "coolant correction [%]"},
    {&link::MonitorDisplay::airCorrection, "air correction [%]"},
    {&link::MonitorDisplay::pressureCorrection, "pressure correction [%]"},
    {&link::MonitorDisplay::startCorrection, "start correction [%]"},
    {&link::MonitorDisplay::supplyCorrection, "supply correction [us]"},
}};

const char *colourSuffix(std::optional<link::Colour> colour)
{
    if (!colour)
        return "";
    switch (*colour) {
    case link::Colour::Red:
        return " [red]";
    case link::Colour::Yellow:
        return " [yellow]";
    case link::Colour::Lime:
        return " [lime]";
    default:
        return "";
    }
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

// A CSV field, quoted when it holds a separator or a quote.
std::string csvField(const std::string &value)
{
    if (value.find_first_of(",\"\n") == std::string::npos)
        return value;
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

bool numberStart(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.';
}

} // namespace

std::string labelValue(const std::string &text)
{
    std::string_view rest = text;
    if (const auto eq = rest.find('='); eq != std::string_view::npos) {
        rest.remove_prefix(eq + 1);
    } else if (const auto dash = rest.rfind(" - "); dash != std::string_view::npos) {
        rest.remove_prefix(dash + 3);
    }
    rest = trim(rest);
    if (!rest.empty() && numberStart(rest.front())) {
        std::size_t n = 1;
        while (n < rest.size() &&
               (std::isdigit(static_cast<unsigned char>(rest[n])) || rest[n] == '.'))
            ++n;
        return std::string(rest.substr(0, n));
    }
    if (const auto eq = rest.find('='); eq != std::string_view::npos)
        rest = trim(rest.substr(0, eq));
    return std::string(rest);
}

std::string isoTime(std::chrono::system_clock::time_point when)
{
    using namespace std::chrono;
    const auto millis = duration_cast<milliseconds>(when.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(millis / 1000);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char buffer[40];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &utc);
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(millis % 1000));
    return std::string(buffer) + fraction;
}

MonitorPrinter::MonitorPrinter(std::ostream &out, std::uint8_t language, bool extended, bool csv)
    : m_out(out), m_language(language), m_extended(extended), m_csv(csv)
{}

void MonitorPrinter::begin()
{
    if (!m_csv)
        return;
    m_out << "time [ISO 8601]";
    for (const Column &column : kColumns)
        m_out << ',' << column.name;
    if (m_extended)
        m_out << ",programming count [count]";
    m_out << ",version mismatch [text],data error [flag]\n";
    m_out.flush();
}

void MonitorPrinter::print(const link::MonitorDisplay &display,
                           std::chrono::system_clock::time_point when)
{
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        const auto &colour = (display.*kColumns[i].member).colour;
        if (colour)
            m_colours[i] = colour;
    }
    if (m_csv)
        printRow(display, when);
    else
        printLabels(display);
    m_out.flush();
}

void MonitorPrinter::printLabels(const link::MonitorDisplay &display)
{
    for (std::size_t i = 0; i < kColumns.size(); ++i)
        m_out << (display.*kColumns[i].member).text << colourSuffix(m_colours[i]) << '\n';
    if (m_extended)
        m_out << display.programmingCount.text << '\n';
    if (display.versionVisible)
        m_out << display.version << '\n';
    if (display.dataErrorVisible)
        m_out << text::kDataError.pick(m_language) << '\n';
    m_out << '\n';
}

void MonitorPrinter::printRow(const link::MonitorDisplay &display,
                              std::chrono::system_clock::time_point when)
{
    m_out << isoTime(when);
    for (const Column &column : kColumns)
        m_out << ',' << csvField(labelValue((display.*column.member).text));
    if (m_extended)
        m_out << ',' << labelValue(display.programmingCount.text);
    m_out << ',' << (display.versionVisible ? csvField(display.version) : std::string()) << ','
          << (display.dataErrorVisible ? 1 : 0) << '\n';
}

} // namespace velmora::cli
