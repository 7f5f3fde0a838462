#pragma once

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

// Ride logs written by hand for the analysis: a row per monitor reply with the columns the
// analysis reads, "error" where a value is missing; event rows carry only a time and a text.
namespace velmora::test {

struct LogRow {
    double seconds = 0;
    std::string rpm = "4000";
    std::string throttle = "20";
    std::string lambda = "500";
    std::string coolant = "80";
    std::string intake = "50";
    std::string injection14 = "3000";
    std::string injection23 = "3000";
    std::string duty = "30";
    std::string load = "throttle";
    std::string event; // an event row when set
};

inline std::string logTime(double seconds)
{
    const long millis = std::lround(seconds * 1000);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "2026-12-09T10:%02ld:%02ld.%03ldZ", millis / 60000 % 60,
                  millis / 1000 % 60, millis % 1000);
    return buffer;
}

inline std::string logText(const std::vector<LogRow> &rows, bool withLoad = true)
{
    std::string text = "time [ISO 8601],rpm [rpm],throttle [%],lambda [mV],coolant [°C],"
                       "intake pressure [%],injection time 14 [us],injection time 23 [us],"
                       "duty [%]";
    text += withLoad ? ",load [source],event [text]\n" : ",event [text]\n";
    for (const LogRow &r : rows) {
        text += logTime(r.seconds);
        if (!r.event.empty()) {
            text += std::string(withLoad ? 9 : 8, ',') + "," + r.event + "\n";
            continue;
        }
        for (const std::string *field : {&r.rpm, &r.throttle, &r.lambda, &r.coolant, &r.intake,
                                         &r.injection14, &r.injection23, &r.duty})
            text += "," + *field;
        if (withLoad)
            text += "," + r.load;
        text += ",\n";
    }
    return text;
}

// `count` replies a tenth of a second apart from `start`, all alike but for lambda, which
// alternates between two readings so that the sensor never looks stuck.
inline std::vector<LogRow> steadyRows(int count, double start = 0, LogRow like = {},
                                      int lambdaA = 490, int lambdaB = 510)
{
    std::vector<LogRow> rows;
    for (int i = 0; i < count; ++i) {
        LogRow row = like;
        row.seconds = start + 0.1 * i;
        row.lambda = std::to_string(i % 2 ? lambdaB : lambdaA);
        rows.push_back(row);
    }
    return rows;
}

} // namespace velmora::test
