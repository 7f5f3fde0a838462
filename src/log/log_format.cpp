#include "log_format.h"

#include "model/image_layout.h"

#include <cstdio>
#include <ctime>

namespace velmora::log {
namespace {

using link::MonitorDisplay;
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

std::string running(bool on)
{
    return on ? "is running" : "no signal";
}

constexpr std::array<MonitorColumn, kMonitorColumnCount> kColumns{{
    {&MonitorDisplay::rpm, "rpm [rpm]", [](const MonitorSample &s) { return whole(s.rpm); }},
    {&MonitorDisplay::throttle, "throttle [%]",
     [](const MonitorSample &s) { return validOrError(s.throttleValid, s.throttlePercent); }},
    {&MonitorDisplay::lambda, "lambda [mV]",
     [](const MonitorSample &s) { return whole(s.lambdaMv); }},
    {&MonitorDisplay::coolant, "coolant [°C]",
     [](const MonitorSample &s) { return whole(s.coolantCelsius); }},
    {&MonitorDisplay::air, "air [°C]", [](const MonitorSample &s) { return whole(s.airCelsius); }},
    {&MonitorDisplay::intakePressure, "intake pressure [%]",
     [](const MonitorSample &s) { return validOrError(s.intakeValid, s.intakePercent); }},
    {&MonitorDisplay::ambientPressure, "ambient pressure [kPa]",
     [](const MonitorSample &s) { return oneDecimal(s.ambientKpa); }},
    {&MonitorDisplay::supply, "supply [V]",
     [](const MonitorSample &s) { return oneDecimal(s.supplyVolts); }},
    {&MonitorDisplay::advance, "advance [°]",
     [](const MonitorSample &s) { return whole(s.advanceDegrees); }},
    {&MonitorDisplay::crankPickup, "crank pick-up [state]",
     [](const MonitorSample &s) { return running(s.crankRunning); }},
    {&MonitorDisplay::camPickup, "cam pick-up [state]",
     [](const MonitorSample &s) { return running(s.camRunning); }},
    {&MonitorDisplay::injection14, "injection time 14 [us]",
     [](const MonitorSample &s) { return whole(s.injection14Us); }},
    {&MonitorDisplay::injection23, "injection time 23 [us]",
     [](const MonitorSample &s) { return whole(s.injection23Us); }},
    {&MonitorDisplay::duty, "duty [%]",
     [](const MonitorSample &s) { return whole(s.dutyPercent); }},
    {&MonitorDisplay::blocking, "blocking [state]",
     [](const MonitorSample &s) { return std::string(s.blocking ? "ON" : "OFF"); }},
    {&MonitorDisplay::servoDesired, "servo desired [mV]",
     [](const MonitorSample &s) { return whole(s.servoDesiredMv); }},
    {&MonitorDisplay::servoMeasured, "servo measured [mV]",
     [](const MonitorSample &s) { return whole(s.servoMeasuredMv); }},
    {&MonitorDisplay::coolantCorrection, "coolant correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.coolantCorrectionPercent); }},
    {&MonitorDisplay::airCorrection, "air correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.airCorrectionPercent); }},
    {&MonitorDisplay::pressureCorrection, "pressure correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.pressureCorrectionPercent); }},
    {&MonitorDisplay::startCorrection, "start correction [%]",
     [](const MonitorSample &s) { return oneDecimal(s.startCorrectionPercent); }},
    {&MonitorDisplay::supplyCorrection, "supply correction [us]",
     [](const MonitorSample &s) { return whole(s.supplyCorrectionUs); }},
}};

// The columns after the labels (and the programming count where it is written).
constexpr std::array<const char *, 10> kTailColumns{
    "version mismatch [text]", "data error [flag]", "load [source]",       "TP14 row [index]",
    "TP14 column [index]",     "TP23 row [index]",  "TP23 column [index]", "IAP row [index]",
    "IAP column [index]",      "event [text]",
};
constexpr std::size_t kTailCount = kTailColumns.size();
constexpr const char *kProgrammingCount = "programming count [count]";

} // namespace

const std::array<MonitorColumn, kMonitorColumnCount> &monitorColumns()
{
    return kColumns;
}

std::string csvField(std::string_view value)
{
    if (value.find_first_of(",\"\n") == std::string_view::npos)
        return std::string(value);
    std::string quoted = "\"";
    for (char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
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

std::string LogFormat::header() const
{
    std::string line = "time [ISO 8601]";
    for (const MonitorColumn &column : kColumns)
        line.append(",").append(column.name);
    if (m_programmingCount)
        line.append(",").append(kProgrammingCount);
    for (std::size_t i = 0; i < kTailCount; ++i)
        line.append(",").append(kTailColumns[i]);
    return line + '\n';
}

std::size_t LogFormat::columnCount() const
{
    return 1 + kColumns.size() + (m_programmingCount ? 1 : 0) + kTailCount;
}

std::string LogFormat::monitorRow(const link::MonitorDisplay &display,
                                  std::chrono::system_clock::time_point when) const
{
    const MonitorSample &s = display.sample;
    std::string row = isoTime(when);
    for (const MonitorColumn &column : kColumns)
        row.append(",").append(csvField(column.value(s)));
    if (m_programmingCount)
        row.append(",").append(whole(s.programmingCount));
    row.append(",").append(display.versionVisible ? csvField(display.version) : std::string());
    row.append(display.dataErrorVisible ? ",1" : ",0");
    row.append(s.throttleLoad ? ",throttle" : ",intake");
    for (int index : {s.cells.tpRow, s.cells.tp14Column, s.cells.tpRow, s.cells.tp23Column,
                      s.cells.iapRow, s.cells.iapColumn})
        row.append(",").append(whole(index));
    return row + ",\n"; // no event
}

std::string LogFormat::eventRow(std::chrono::system_clock::time_point when,
                                std::string_view event) const
{
    return isoTime(when) + std::string(columnCount() - 1, ',') + csvField(event) + '\n';
}

std::optional<std::string> transactionEvent(link::Transaction transaction, link::Outcome outcome)
{
    using link::Outcome;
    using link::Transaction;
    const char *name = nullptr;
    switch (transaction) {
    case Transaction::Read:
        name = "read";
        break;
    case Transaction::Verify:
        name = "verify";
        break;
    case Transaction::Program:
        name = "program";
        break;
    case Transaction::ScratchRead:
        name = "scratch read";
        break;
    case Transaction::TuningWrite:
        return std::nullopt;
    }
    if (!name)
        return std::nullopt;
    return std::string(name) + ": " + std::string(link::outcomeName(outcome));
}

std::optional<std::string> tuningEvent(std::size_t offset, std::uint8_t from, std::uint8_t to)
{
    constexpr std::size_t kCells = layout::kMapSide * layout::kMapSide;
    for (const InjectionMap &map : kInjectionMaps) {
        if (offset < map.start || offset >= map.start + kCells)
            continue;
        const std::size_t cell = offset - map.start;
        return "tuning write: " + std::string(map.name) + " row " +
               std::to_string(cell / layout::kMapSide) + " column " +
               std::to_string(cell % layout::kMapSide) + " from " + std::to_string(from) + " to " +
               std::to_string(to);
    }
    return std::nullopt;
}

} // namespace velmora::log
