#include "log/log_format.h"
#include "log/log_texts.h"
#include "log/ride_log.h"

#include "../files/temp_folder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

namespace velmora::log {
namespace {

// The header the window writes.
std::string header()
{
    return LogFormat(true).header();
}

// A monitor row of the full header; `tail` replaces its cell columns and event.
std::string monitorRow(const std::string &time, int rpm, const std::string &lambda = "450",
                       const std::string &tail = "3,5,3,6,2,1,")
{
    return time + "," + std::to_string(rpm) + ",12," + lambda +
           ",85,30,error,98.6,13.8,24,is running,no signal,2400,2410,18,OFF,1200,1190,0.0,-1.5,"
           "2.5,0.0,40,17,,0,throttle," +
           tail + "\n";
}

std::string eventRow(const std::string &time, const std::string &text)
{
    return time + std::string(33, ',') + text + "\n";
}

double value(const RideLog &log, std::string_view column, std::size_t row)
{
    const int index = log.column(column);
    EXPECT_GE(index, 0) << column;
    return index < 0 ? NAN : log.values[index].at(row);
}

RideLog parsed(std::string_view text)
{
    LogReadResult read = parseRideLog(text);
    EXPECT_EQ(read.problem, LogProblem::None);
    return read.log ? std::move(*read.log) : RideLog{};
}

TEST(RideLog, OlderColumnSetAnyOrderUnknownAndMissingColumns)
{
    // Today's command-line columns without the programming count.
    const RideLog older = parsed(
        "time [ISO 8601],rpm [rpm],throttle [%],lambda [mV],coolant [°C],air [°C],"
        "intake pressure [%],ambient pressure [kPa],supply [V],advance [°],crank pick-up [state],"
        "cam pick-up [state],injection time 14 [us],injection time 23 [us],duty [%],"
        "blocking [state],servo desired [mV],servo measured [mV],coolant correction [%],"
        "air correction [%],pressure correction [%],start correction [%],"
        "supply correction [us],version mismatch [text],data error [flag]\n"
        "2026-05-01T10:00:00.000Z,3000,20,455,80,25,40,99.0,13.9,22,is running,is running,2300,"
        "2300,17,ON,1100,1100,0.0,0.0,0.0,0.0,30,\"Program version 1.2, unit 1.3\",1\n");
    EXPECT_EQ(older.columns.size(), 24u);
    EXPECT_EQ(older.column("TP14 row [index]"), -1);
    EXPECT_EQ(older.column("programming count [count]"), -1);
    EXPECT_EQ(value(older, "lambda [mV]", 0), 455);
    EXPECT_EQ(value(older, "blocking [state]", 0), 1);
    EXPECT_EQ(value(older, "version mismatch [text]", 0), 1);
    EXPECT_EQ(value(older, "data error [flag]", 0), 1);
    EXPECT_TRUE(older.events.empty());

    // Shuffled, lambda missing, an unknown column whose text would be no number, and a second
    // rpm, time and event column that must not replace the first.
    const RideLog shuffled =
        parsed("oil [°C],IAP column [index],rpm [rpm],time [ISO 8601],rpm [rpm],IAP row [index],"
               "time [ISO 8601],event [text],event [text]\n"
               "hot,4,2500,2026-05-01T10:00:00Z,9999,7,yesterday,,read: ok\n");
    EXPECT_EQ(shuffled.columns,
              (std::vector<std::string>{"IAP column [index]", "rpm [rpm]", "IAP row [index]"}));
    EXPECT_EQ(shuffled.column("lambda [mV]"), -1);
    EXPECT_EQ(value(shuffled, "rpm [rpm]", 0), 2500);
    EXPECT_EQ(value(shuffled, "IAP row [index]", 0), 7);
    EXPECT_EQ(value(shuffled, "IAP column [index]", 0), 4);
    EXPECT_EQ(shuffled.skippedRows, 0);
}

// Each bad row between two good ones is dropped and counted; the good ones stay in order.
TEST(RideLog, MalformedRowsAreDroppedAndCounted)
{
    const std::string good1 = monitorRow("2026-05-01T10:00:00.000Z", 1000);
    const std::string good2 = monitorRow("2026-05-01T10:00:01.000Z", 2000);
    std::string fewer = monitorRow("2026-05-01T10:00:00.500Z", 1500);
    fewer.erase(fewer.rfind(','));
    const std::vector<std::string> bad{
        fewer + "\n",
        monitorRow("2026-05-01T10:00:00.500Z", 1500, "450", "3,5,3,6,2,1,,"), // one field more
        monitorRow("2026-05-01T10:00:00.500Z", 1500, "45x"),
        monitorRow("2026-05-01T10:00:00.500Z", 1500, "inf"),
        monitorRow("2026-05-01 10:00:00.500Z", 1500),
        monitorRow("2026-05-01T10:00:00.Z", 1500),
        monitorRow("2026-05-01T10:00:00.500+1", 1500),
        monitorRow("2026-13-01T10:00:00.500Z", 1500),
        monitorRow("2026-05-01T24:00:00.500Z", 1500),
        monitorRow("2027-02-29T10:00:00.500Z", 1500),
        monitorRow("", 1500),
        eventRow("2026-05-01T10:00:00.500Z", ""), // no event text and no value
        monitorRow("2026-05-01T10:00:00.500Z", 1500, "450", "3,5,3,6,2,1,program: ok"),
        // A closing quote ends a field only before a comma or a line end.
        "2026-05-01T10:00:00.500Z,\"15\"00" + std::string(32, ',') + "\n",
    };
    for (const std::string &row : bad) {
        const RideLog log = parsed(header() + good1 + row + good2);
        EXPECT_EQ(log.skippedRows, 1) << row;
        ASSERT_EQ(log.seconds.size(), 2u) << row;
        EXPECT_EQ(value(log, "rpm [rpm]", 0), 1000) << row;
        EXPECT_EQ(value(log, "rpm [rpm]", 1), 2000) << row;
        EXPECT_DOUBLE_EQ(log.seconds[1], 1.0) << row;
        EXPECT_TRUE(log.events.empty()) << row;
    }
}

TEST(RideLog, LastRowCutOffWhileWrittenIsDropped)
{
    const std::string whole = header() + monitorRow("2026-05-01T10:00:00.000Z", 1000) +
                              monitorRow("2026-05-01T10:00:00.330Z", 1234);
    // Cut in the middle of the second row's rpm, in its last field, and just before its line end:
    // each could pass for a row of its own, so it is its missing line end that drops it.
    const std::size_t secondRow = whole.rfind("2026");
    for (const std::size_t cut : {secondRow + 27, whole.size() - 2, whole.size() - 1}) {
        const RideLog log = parsed(std::string_view(whole).substr(0, cut));
        EXPECT_EQ(log.seconds.size(), 1u) << cut;
        EXPECT_EQ(log.skippedRows, 1) << cut;
    }
    // A quoted event text that never closes.
    const RideLog open =
        parsed(header() + monitorRow("2026-05-01T10:00:00.000Z", 1000) +
               "2026-05-01T10:00:00.100Z" + std::string(33, ',') + "\"tuning write, TP1\n");
    EXPECT_EQ(open.seconds.size(), 1u);
    EXPECT_TRUE(open.events.empty());
    EXPECT_EQ(open.skippedRows, 1);
}

TEST(RideLog, CrLfQuotesAndByteOrderMarkReadAsPlainLines)
{
    const std::string plain = header() + monitorRow("2026-05-01T10:00:00.000Z", 1000) +
                              eventRow("2026-05-01T10:00:00.100Z", "program: ok") +
                              monitorRow("2026-05-01T10:00:00.330Z", 1100);
    std::string crlf = "\xEF\xBB\xBF";
    for (const char c : plain) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    // Every field quoted, the event's text with a comma, a doubled quote and a line end in it.
    std::string quoted;
    std::string field;
    const auto flush = [&] {
        quoted += '"' + field + '"';
        field.clear();
    };
    for (const char c : plain) {
        if (c == ',' || c == '\n') {
            flush();
            quoted += c;
        } else {
            field += c;
        }
    }
    const std::string tricky = "program: ok, \"\"fast\"\"\nreally";
    const std::size_t at = quoted.find("program: ok");
    quoted.replace(at, std::strlen("program: ok"), tricky);

    const RideLog a = parsed(plain);
    const RideLog b = parsed(crlf);
    const RideLog c = parsed(quoted);
    for (const RideLog *other : {&b, &c}) {
        EXPECT_EQ(other->columns, a.columns);
        EXPECT_EQ(other->seconds, a.seconds);
        ASSERT_EQ(other->values.size(), a.values.size());
        for (std::size_t i = 0; i < a.values.size(); ++i) {
            ASSERT_EQ(other->values[i].size(), 2u);
            for (std::size_t row = 0; row < 2; ++row) {
                const double x = a.values[i][row], y = other->values[i][row];
                EXPECT_TRUE(x == y || (std::isnan(x) && std::isnan(y))) << a.columns[i];
            }
        }
        EXPECT_EQ(other->startTime, "2026-05-01T10:00:00.000Z");
        EXPECT_EQ(other->skippedRows, 0);
        ASSERT_EQ(other->events.size(), 1u);
    }
    EXPECT_EQ(b.events[0].text, "program: ok");
    EXPECT_EQ(c.events[0].text, "program: ok, \"fast\"\nreally");

    // Two fields with doubled quotes in one row: the second must leave the first's text alone.
    const RideLog twice = parsed("event [text],time [ISO 8601],note\n"
                                 "\"ok \"\"1\"\"\",2026-05-01T10:00:00Z,\"n\"\"\"\n");
    ASSERT_EQ(twice.events.size(), 1u);
    EXPECT_EQ(twice.events[0].text, "ok \"1\"");
}

TEST(RideLog, EventsAndTuningWrites)
{
    const RideLog log = parsed(
        header() + eventRow("2026-05-01T10:00:00.000Z", "read: ok") +
        monitorRow("2026-05-01T10:00:00.330Z", 1000, "error", "4,6,,,7,8,") +
        eventRow("2026-05-01T10:00:00.400Z", "tuning write: TP14 row 3 column 5 from 120 to 122") +
        eventRow("2026-05-01T10:00:00.500Z", "tuning write: IAP row 9 column 0 from 255 to 0") +
        eventRow("2026-05-01T10:00:00.600Z", "tuning write: TP23 row 1 column 2 from 3") +
        eventRow("2026-05-01T10:00:00.700Z", "tuning write: TP99 row 1 column 2 from 3 to 4") +
        eventRow("2026-05-01T10:00:00.800Z", "tuning write: TP23 row 1 column 2 from 3 to 4 !"));
    // The first row of the log is an event: the times count from it.
    EXPECT_EQ(log.startTime, "2026-05-01T10:00:00.000Z");
    ASSERT_EQ(log.seconds, std::vector<double>{0.33});
    EXPECT_TRUE(std::isnan(value(log, "lambda [mV]", 0)));
    EXPECT_TRUE(std::isnan(value(log, "TP23 row [index]", 0)));
    EXPECT_EQ(value(log, "IAP column [index]", 0), 8);
    ASSERT_EQ(log.events.size(), 6u);
    EXPECT_EQ(log.events[0].seconds, 0);

    const LogEvent &tp14 = log.events[1];
    EXPECT_DOUBLE_EQ(tp14.seconds, 0.4);
    EXPECT_EQ(tp14.text, "tuning write: TP14 row 3 column 5 from 120 to 122");
    EXPECT_EQ(std::vector<int>({tp14.map, tp14.row, tp14.column, tp14.from, tp14.to}),
              std::vector<int>({0, 3, 5, 120, 122}));
    const LogEvent &iap = log.events[2];
    EXPECT_EQ(std::vector<int>({iap.map, iap.row, iap.column, iap.from, iap.to}),
              std::vector<int>({2, 9, 0, 255, 0}));
    // Not a whole tuning write: an event with its text, nothing parsed.
    for (std::size_t i : {0u, 3u, 4u, 5u}) {
        const LogEvent &event = log.events[i];
        EXPECT_EQ(std::vector<int>({event.map, event.row, event.column, event.from, event.to}),
                  std::vector<int>(5, -1))
            << event.text;
    }
}

TEST(RideLog, TimesCountOnAcrossMidnightMonthAndYearEnds)
{
    const RideLog log = parsed("time [ISO 8601],rpm [rpm]\n"
                               "2026-12-31T23:59:59.670Z,1\n"
                               "2027-01-01T00:00:00.000Z,2\n"
                               "2027-01-01T00:00:00.330Z,3\n"
                               "2027-01-01T01:00:00.330+01:00,4\n" // the same moment again
                               "2027-01-31T23:59:59Z,5\n"
                               "2027-02-01T00:00:00.25Z,6\n"
                               "2028-02-29T00:00:00Z,7\n"
                               // A clock gone wrong: four centuries back, still a number.
                               "1626-12-31T23:59:59.670Z,8\n");
    ASSERT_EQ(log.seconds.size(), 8u);
    EXPECT_EQ(log.startTime, "2026-12-31T23:59:59.670Z");
    EXPECT_DOUBLE_EQ(log.seconds[0], 0);
    EXPECT_NEAR(log.seconds[1], 0.33, 1e-9);
    EXPECT_NEAR(log.seconds[2], 0.66, 1e-9);
    EXPECT_NEAR(log.seconds[3], 0.66, 1e-9);
    const double january = 31 * 86400.0;
    EXPECT_NEAR(log.seconds[4], january - 0.67, 1e-9);
    EXPECT_NEAR(log.seconds[5], january + 0.33 + 0.25, 1e-9);
    // 2027 has 365 days, February 2028 its 29th.
    EXPECT_NEAR(log.seconds[6], (365 + 31 + 28) * 86400.0 + 0.33, 1e-9);
    EXPECT_EQ(log.seconds[7], -(400 * 365 + 97) * 86400.0);
}

TEST(RideLog, RefusedFilesSayWhy)
{
    for (const std::string &text : {std::string(), std::string("\n\n"), std::string("\xEF\xBB\xBF"),
                                    header(), std::string("time [ISO 8601],rpm [rpm]")})
        EXPECT_EQ(parseRideLog(text).problem, LogProblem::Empty) << text;
    for (const char *text : {"rpm [rpm],lambda [mV]\n3000,450\n",
                             "\x7f"
                             "ELF\x02\x01\x01\n\x03",
                             "time,rpm [rpm]\n2026-05-01T10:00:00Z,3000\n"}) {
        const LogReadResult read = parseRideLog(text);
        EXPECT_EQ(read.problem, LogProblem::NotALog) << text;
        EXPECT_FALSE(read.log);
    }
    // Rows, all of them bad, still make a log: the user is told how many were skipped.
    const LogReadResult bad = parseRideLog("time [ISO 8601],rpm [rpm]\nyesterday,3000\n");
    ASSERT_TRUE(bad.log);
    EXPECT_EQ(bad.log->skippedRows, 1);

    test::TempFolder folder;
    const LogReadResult missing = readRideLog(folder.path() / "none.csv");
    EXPECT_EQ(missing.problem, LogProblem::Unreadable);
    EXPECT_EQ(missing.detail, std::strerror(ENOENT));
    const LogReadResult directory = readRideLog(folder.path());
    EXPECT_EQ(directory.problem, LogProblem::Unreadable);
    EXPECT_EQ(directory.detail, std::strerror(EISDIR));
    // The message names the file and the system's reason, a '%' in the name kept as it is.
    const std::string file = (folder.path() / "100%2.csv").string();
    EXPECT_EQ(text::problemMessage(readRideLog(file), file, 1),
              "The ride log " + file + " cannot be read: " + std::strerror(ENOENT));
    EXPECT_EQ(text::problemMessage(parseRideLog("rpm [rpm]\n"), "a.csv", 2),
              "a.csv ist keine Fahrtaufzeichnung: der Kopfzeile fehlt die Zeitspalte "
              "\"time [ISO 8601]\".");
    EXPECT_EQ(text::problemMessage(parseRideLog(""), "a.csv", 0),
              "Záznam jízdy a.csv neobsahuje žádný řádek.");
    EXPECT_EQ(text::problemMessage(bad, "a.csv", 1), "");
    EXPECT_EQ(text::skippedRowsMessage(bad.log->skippedRows, 1),
              "Rows skipped as damaged or incomplete: 1");
    EXPECT_EQ(text::skippedRowsMessage(0, 1), "");
}

TEST(RideLog, ReadsAFileAsItsText)
{
    test::TempFolder folder;
    const std::string content = header() + monitorRow("2026-05-01T10:00:00.000Z", 1000) +
                                monitorRow("2026-05-01T10:00:00.330Z", 1100);
    const auto path = folder.path() / "ride.csv";
    std::ofstream(path, std::ios::binary) << content;
    const LogReadResult read = readRideLog(path);
    ASSERT_TRUE(read.log);
    EXPECT_EQ(read.log->seconds.size(), 2u);
    EXPECT_EQ(value(*read.log, "rpm [rpm]", 1), 1100);
    std::ofstream(folder.path() / "empty.csv", std::ios::binary).flush();
    EXPECT_EQ(readRideLog(folder.path() / "empty.csv").problem, LogProblem::Empty);
}

} // namespace
} // namespace velmora::log
