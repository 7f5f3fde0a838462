// What the writer writes, the reader reads back: every value of a monitor row, the events and a
// tuning write, for the window's header and for the command line's without the programming count.
#include "sample_reply.h"

#include "log/cell_lambda.h"
#include "log/log_format.h"
#include "log/ride_log.h"
#include "model/image_layout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <utility>

namespace velmora::log {
namespace {

using namespace std::chrono_literals;

// 2026-12-31 23:59:59.800 UTC: the second row is written after midnight.
const std::chrono::system_clock::time_point kStart{std::chrono::milliseconds(1798761599800)};

TEST(LogReadBack, WhatTheWriterWritesReadsBackExactly)
{
    for (const bool programmingCount : {true, false}) {
        SCOPED_TRACE(programmingCount ? "window" : "command line");
        const LogFormat format(programmingCount);
        link::MonitorDisplay second = test::sampleReply();
        second.sample.rpm = 4300;
        second.sample.intakeValid = true;
        second.sample.throttleLoad = true;
        second.versionVisible = false;
        second.dataErrorVisible = false;
        const std::string text =
            format.header() + format.monitorRow(test::sampleReply(), kStart) +
            format.eventRow(kStart + 100ms,
                            *transactionEvent(link::Transaction::Program, link::Outcome::Ok)) +
            format.eventRow(kStart + 150ms, *tuningEvent(layout::kJetTpi + 35, 120, 122)) +
            format.monitorRow(second, kStart + 330ms);

        const LogReadResult read = parseRideLog(text);
        ASSERT_TRUE(read.log);
        const RideLog &log = *read.log;
        EXPECT_EQ(log.skippedRows, 0);
        EXPECT_EQ(log.startTime, "2026-12-31T23:59:59.800Z");
        ASSERT_EQ(log.seconds.size(), 2u);
        EXPECT_DOUBLE_EQ(log.seconds[1], 0.33);
        EXPECT_EQ(log.columns.size(), format.columnCount() - 2);

        // The one-decimal columns are what the writer rounded to.
        const std::pair<const char *, double> kFirstRow[] = {
            {"rpm [rpm]", 4250},
            {"throttle [%]", 37},
            {"lambda [mV]", 455},
            {"coolant [°C]", -5},
            {"air [°C]", 21},
            {"intake pressure [%]", NAN},
            {"ambient pressure [kPa]", 98.6},
            {"supply [V]", 13.8},
            {"advance [°]", 28},
            {"crank pick-up [state]", 1},
            {"cam pick-up [state]", 0},
            {"injection time 14 [us]", 2480},
            {"injection time 23 [us]", 2512},
            {"duty [%]", 19},
            {"blocking [state]", 1},
            {"servo desired [mV]", 1250},
            {"servo measured [mV]", 1238},
            {"coolant correction [%]", -2.5},
            {"air correction [%]", 1.5},
            {"pressure correction [%]", -0.5},
            {"start correction [%]", 12},
            {"supply correction [us]", 44},
            {"version mismatch [text]", 1},
            {"data error [flag]", 1},
            {"load [source]", 0},
            {"TP14 row [index]", 4},
            {"TP14 column [index]", 7},
            {"TP23 row [index]", 4},
            {"TP23 column [index]", 6},
            {"IAP row [index]", 2},
            {"IAP column [index]", 9},
        };
        for (const auto &[name, expected] : kFirstRow) {
            const int column = log.column(name);
            ASSERT_GE(column, 0) << name;
            const double actual = log.values[column][0];
            if (std::isnan(expected))
                EXPECT_TRUE(std::isnan(actual)) << name;
            else
                EXPECT_DOUBLE_EQ(actual, expected) << name;
        }
        const int count = log.column("programming count [count]");
        EXPECT_EQ(count >= 0, programmingCount);
        if (count >= 0) {
            EXPECT_EQ(log.values[count][0], 17);
        }
        EXPECT_EQ(log.values[log.column("rpm [rpm]")][1], 4300);
        EXPECT_EQ(log.values[log.column("intake pressure [%]")][1], 130);
        EXPECT_EQ(log.values[log.column("load [source]")][1], 1);
        EXPECT_EQ(log.values[log.column("version mismatch [text]")][1], 0);
        EXPECT_EQ(log.values[log.column("data error [flag]")][1], 0);

        ASSERT_EQ(log.events.size(), 2u);
        EXPECT_EQ(log.events[0].text, "program: ok");
        EXPECT_DOUBLE_EQ(log.events[0].seconds, 0.1);
        EXPECT_EQ(log.events[0].map, -1);
        const LogEvent &write = log.events[1];
        EXPECT_EQ(write.text, "tuning write: TP23 row 3 column 5 from 120 to 122");
        EXPECT_DOUBLE_EQ(write.seconds, 0.15);
        EXPECT_EQ(std::vector<int>({write.map, write.row, write.column, write.from, write.to}),
                  std::vector<int>({1, 3, 5, 120, 122}));

        // Both rows sit in TP14 row 4 column 7 at 455 mV.
        const auto maps = lambdaByCell(log);
        EXPECT_EQ(maps[0][4][7].samples, 2);
        EXPECT_DOUBLE_EQ(maps[0][4][7].meanMv, 455);
        EXPECT_EQ(maps[2][2][9].samples, 2);
    }
}

} // namespace
} // namespace velmora::log
