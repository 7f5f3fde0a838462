// The one format of a ride log, as the window and the command line write it.
#include "csv_fields.h"
#include "sample_reply.h"

#include "log/log_format.h"
#include "model/image_layout.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace velmora;
using log::LogFormat;
using log::test::csvFields;
using log::test::sampleReply;

namespace {

constexpr const char *kFullHeader =
    "time [ISO 8601],rpm [rpm],throttle [%],lambda [mV],coolant [°C],air [°C],"
    "intake pressure [%],ambient pressure [kPa],supply [V],advance [°],crank pick-up [state],"
    "cam pick-up [state],injection time 14 [us],injection time 23 [us],duty [%],"
    "blocking [state],servo desired [mV],servo measured [mV],coolant correction [%],"
    "air correction [%],pressure correction [%],start correction [%],"
    "supply correction [us],programming count [count],version mismatch [text],"
    "data error [flag],load [source],TP14 row [index],TP14 column [index],TP23 row [index],"
    "TP23 column [index],IAP row [index],IAP column [index],event [text]\n";

const std::chrono::system_clock::time_point kWhen{std::chrono::milliseconds(1700000000250)};

} // namespace

TEST(LogFormatTest, HeaderNamesEveryColumnOnceAndOnlyTheWindowsHasTheCount)
{
    EXPECT_EQ(LogFormat(true).header(), kFullHeader);
    const std::string shorter = LogFormat(false).header();
    EXPECT_EQ(shorter.find("programming count"), std::string::npos);
    EXPECT_EQ(csvFields(shorter.substr(0, shorter.size() - 1)).size(),
              LogFormat(false).columnCount());
    EXPECT_EQ(LogFormat(false).columnCount() + 1, LogFormat(true).columnCount());
}

TEST(LogFormatTest, MonitorRowHoldsTheSampleUnderItsHeader)
{
    for (bool count : {false, true}) {
        const LogFormat format(count);
        const std::string header = format.header();
        const std::string row = format.monitorRow(sampleReply(), kWhen);
        ASSERT_EQ(row.back(), '\n');
        const auto names = csvFields(header.substr(0, header.size() - 1));
        const auto fields = csvFields(row.substr(0, row.size() - 1));
        ASSERT_EQ(fields.size(), names.size());
        auto field = [&](std::string_view name) {
            for (std::size_t i = 0; i < names.size(); ++i)
                if (names[i] == name)
                    return fields[i];
            ADD_FAILURE() << "no column " << name;
            return std::string();
        };
        EXPECT_EQ(field("time [ISO 8601]"), "2023-11-14T22:13:20.250Z");
        EXPECT_EQ(field("rpm [rpm]"), "4250");
        EXPECT_EQ(field("throttle [%]"), "37");
        EXPECT_EQ(field("intake pressure [%]"), "error");
        EXPECT_EQ(field("coolant [°C]"), "-5");
        EXPECT_EQ(field("ambient pressure [kPa]"), "98.6");
        EXPECT_EQ(field("supply [V]"), "13.8");
        EXPECT_EQ(field("crank pick-up [state]"), "is running");
        EXPECT_EQ(field("cam pick-up [state]"), "no signal");
        EXPECT_EQ(field("blocking [state]"), "ON");
        EXPECT_EQ(field("coolant correction [%]"), "-2.5");
        EXPECT_EQ(field("version mismatch [text]"), "Unmatched version, \"PC-43\"");
        EXPECT_EQ(field("data error [flag]"), "1");
        EXPECT_EQ(field("load [source]"), "intake");
        EXPECT_EQ(field("TP14 row [index]"), "4");
        EXPECT_EQ(field("TP14 column [index]"), "7");
        EXPECT_EQ(field("TP23 row [index]"), "4");
        EXPECT_EQ(field("TP23 column [index]"), "6");
        EXPECT_EQ(field("IAP row [index]"), "2");
        EXPECT_EQ(field("IAP column [index]"), "9");
        EXPECT_EQ(field("event [text]"), "");
        if (count) {
            EXPECT_EQ(field("programming count [count]"), "17");
        }
    }
    // The quotes of the version text are doubled inside a quoted field.
    EXPECT_NE(LogFormat(true)
                  .monitorRow(sampleReply(), kWhen)
                  .find(",\"Unmatched version, \"\"PC-43\"\"\",1,intake,"),
              std::string::npos);

    link::MonitorDisplay throttle = sampleReply();
    throttle.sample.throttleLoad = true;
    throttle.versionVisible = false;
    throttle.dataErrorVisible = false;
    EXPECT_NE(LogFormat(false).monitorRow(throttle, kWhen).find(",,0,throttle,4,7,4,6,2,9,\n"),
              std::string::npos);
}

TEST(LogFormatTest, EventRowHasOnlyTheTimeAndTheEvent)
{
    const LogFormat format(true);
    const std::string row = format.eventRow(kWhen, "program: ok");
    const auto fields = csvFields(row.substr(0, row.size() - 1));
    ASSERT_EQ(fields.size(), format.columnCount());
    EXPECT_EQ(fields.front(), "2023-11-14T22:13:20.250Z");
    EXPECT_EQ(fields.back(), "program: ok");
    for (std::size_t i = 1; i + 1 < fields.size(); ++i)
        EXPECT_EQ(fields[i], "") << "column " << i;
    // A text with a separator stays one field.
    EXPECT_EQ(LogFormat(false).eventRow(kWhen, "a, b").substr(LogFormat(false).columnCount() + 23),
              "\"a, b\"\n");
}

TEST(LogFormatTest, EveryTransactionEndNamesTransactionAndOutcome)
{
    using link::Outcome;
    using link::Transaction;
    EXPECT_EQ(log::transactionEvent(Transaction::Program, Outcome::Ok), "program: ok");
    EXPECT_EQ(log::transactionEvent(Transaction::Read, Outcome::ReadError), "read: read error");
    EXPECT_EQ(log::transactionEvent(Transaction::Read, Outcome::NoReading), "read: no reading");
    EXPECT_EQ(log::transactionEvent(Transaction::Verify, Outcome::VerifyError),
              "verify: verify error");
    EXPECT_EQ(log::transactionEvent(Transaction::Program, Outcome::ProgramError),
              "program: program error");
    EXPECT_EQ(log::transactionEvent(Transaction::Read, Outcome::VersionMismatch),
              "read: version mismatch");
    EXPECT_EQ(log::transactionEvent(Transaction::Program, Outcome::ModelRefused),
              "program: model refused");
    EXPECT_EQ(log::transactionEvent(Transaction::ScratchRead, Outcome::Cancelled),
              "scratch read: cancelled");
    // A tuning write is logged by the cell it changed.
    EXPECT_EQ(log::transactionEvent(Transaction::TuningWrite, Outcome::Ok), std::nullopt);
}

TEST(LogFormatTest, TuningEventNamesTheMapCellByItsImageOffset)
{
    using namespace layout;
    EXPECT_EQ(log::tuningEvent(kJetTp + 35, 120, 122),
              "tuning write: TP14 row 3 column 5 from 120 to 122");
    EXPECT_EQ(log::tuningEvent(kJetTp, 0, 1), "tuning write: TP14 row 0 column 0 from 0 to 1");
    EXPECT_EQ(log::tuningEvent(kJetTpi - 1, 250, 249),
              "tuning write: TP14 row 9 column 9 from 250 to 249");
    EXPECT_EQ(log::tuningEvent(kJetTpi + 90, 7, 8),
              "tuning write: TP23 row 9 column 0 from 7 to 8");
    EXPECT_EQ(log::tuningEvent(kJetIap + 9, 99, 98),
              "tuning write: IAP row 0 column 9 from 99 to 98");
    EXPECT_EQ(log::tuningEvent(kImageSize - 1, 1, 2),
              "tuning write: IAP row 9 column 9 from 1 to 2");
    EXPECT_EQ(log::tuningEvent(kJetTp - 1, 1, 2), std::nullopt);
    EXPECT_EQ(log::tuningEvent(kImageSize, 1, 2), std::nullopt);
}

TEST(LogFormatTest, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    EXPECT_EQ(log::csvField("plain text"), "plain text");
    EXPECT_EQ(log::csvField(""), "");
    EXPECT_EQ(log::csvField("a,b"), "\"a,b\"");
    EXPECT_EQ(log::csvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(log::csvField("two\nlines"), "\"two\nlines\"");
}

TEST(LogFormatTest, TimeIsUtcWithMilliseconds)
{
    using namespace std::chrono;
    EXPECT_EQ(log::isoTime(system_clock::time_point{milliseconds(1700000000007)}),
              "2023-11-14T22:13:20.007Z");
    EXPECT_EQ(log::isoTime(system_clock::time_point{}), "1970-01-01T00:00:00.000Z");
}
