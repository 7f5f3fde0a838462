#include "monitor_printer.h"

#include "cli_texts.h"

#include <cstdio>
#include <ctime>

namespace velmora::cli {
namespace {

using link::MonitorSample;

std::string whole(int value)
{
    return std::to_string(value);
}

std::string oneDecimal(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    return buffer;
}

std::string validOrError(bool valid, int value)
{
    return valid ? whole(value) : std::string("error");
}

struct Column {
    link::LabelText link::MonitorDisplay::*member;
    const char *name;
    std::string (*value)(const MonitorSample &); // the CSV field, from the sample
};

// The labels in the order the tool prints them.
constexpr std::array<Column, MonitorPrinter::kLabelCount> kColumns{{
    {&link::MonitorDisplay::rpm, "rpm [rpm]", [](const MonitorSample &s) { return whole(s.rpm); }},
    {&link::MonitorDisplay::throttle, "throttle [%]",
     [](const MonitorSample &s) { return validOrError(s.throttleValid, s.throttlePercent); }},
    {&link::MonitorDisplay::lambda, "lambda [mV]",
     [](const MonitorSample &s) { return whole(s.lambdaMv); }},
    {&link::MonitorDisplay::coolant, "coolant [°C]",
     [](const MonitorSample &s) { return whole(s.coolantCelsius); }},
    {&link::MonitorDisplay::air, "air [°C]",
     [](const MonitorSample &s) { return whole(s.airCelsius); }},
    {&link::MonitorDisplay::intakePressure, "intake pressure [%]",
     [](const MonitorSample &s) { return validOrError(s.intakeValid, s.intakePercent); }},
    {&link::MonitorDisplay::ambientPressure, "ambient pressure [kPa]",
     [](const MonitorSample &s) { return oneDecimal(s.ambientKpa); }},
    {&link::MonitorDisplay::supply, "supply [V]",
     [](const MonitorSample &s) { return oneDecimal(s.supplyVolts); }},
    {&link::MonitorDisplay::advance, "advance [°]",
     [](const MonitorSample &s) { return whole(s.advanceDegrees); }},
    {&link::MonitorDisplay::crankPickup, "crank pick-up [state]",
     [](const MonitorSample &s) {
         return std::string(s.crankRunning ? "is running" : "no signal");
     }},
    {&link::MonitorDisplay::camPickup, "cam pick-up [state]",
     [](const MonitorSample &s) { return std::string(s.camRunning ? "is running" : "no signal"); }},
    {&link::MonitorDisplay::injection14, "injection time 14 [us]",
     [](const MonitorSample &s) { return whole(s.injection14Us); }},
    {&link::MonitorDisplay::injection23, "injection time 23 [us]",
     [](const MonitorSample &s) { return whole(s.injection23Us); }},
    {&link::MonitorDisplay::duty, "duty [%]",
     [](const MonitorSample &s) { return whole(s.dutyPercent); }},
    {&link::MonitorDisplay::blocking, "blocking [state]",
     [](const MonitorSample &s) { return std::string(s.blocking ? "ON" : "OFF"); }},
    {&link::MonitorDisplay::servoDesired, "servo desired [mV]",
     [](const MonitorSample &s) { return whole(s.servoDesiredMv); }},
    {&link::MonitorDisplay::servoMeasured, "servo measured [mV]",
     [](const MonitorSample &s) { return whole(s.servoMeasuredMv); }},
    {&link::MonitorDisplay::coolantCorrection, "coolant correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.coolantCorrectionPercent); }},
    {&link::MonitorDisplay::airCorrection, "air correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.airCorrectionPercent); }},
    {&link::MonitorDisplay::pressureCorrection, "pressure correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.pressureCorrectionPercent); }},
    {&link::MonitorDisplay::startCorrection, "start correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.startCorrectionPercent); }},
    {&link::MonitorDisplay::supplyCorrection, "supply correction [us]",
     [](const MonitorSample &s) { return whole(s.supplyCorrectionUs); }},
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

} // namespace

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
        m_out << ',' << csvField(column.value(display.sample));
    if (m_extended)
        m_out << ',' << display.sample.programmingCount;
    m_out << ',' << (display.versionVisible ? csvField(display.version) : std::string()) << ','
          << (display.dataErrorVisible ? 1 : 0) << '\n';
}

} // namespace velmora::cli
