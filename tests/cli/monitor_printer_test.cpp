// The monitor's text and CSV forms.
#include "cli/monitor_printer.h"
#include "link/frame.h"
#include "link/monitor_layout.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <sstream>
#include <string_view>

using namespace velmora;
using velmora::cli::MonitorPrinter;

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

bool numberStart(char c)
{
    return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.';
}

// What a label shows a reader: the number after its '=', or the word(s) there when it shows
// none. The CSV's fields are this, taken from the sample instead of the text.
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

} // namespace

TEST(LabelValueTest, TakesTheNumberAfterTheFirstEqualsSign)
{
    EXPECT_EQ(labelValue("RPM = 1234 "), "1234");
    EXPECT_EQ(labelValue("TP= 12 [%]= 640 [mV]"), "12");
    EXPECT_EQ(labelValue("AP = 98.6 [kPa]"), "98.6");
    EXPECT_EQ(labelValue("U correction= -40 us"), "-40");
    EXPECT_EQ(labelValue("TW correction=  3.5 %"), "3.5");
}

TEST(LabelValueTest, KeepsTheWordsOfLabelsWithoutANumber)
{
    EXPECT_EQ(labelValue("Blocking = ON"), "ON");
    EXPECT_EQ(labelValue("TP=error = 4800 [mV]"), "error");
    EXPECT_EQ(labelValue("IAP= error"), "error");
    EXPECT_EQ(labelValue("Pick-up (CKPS) - is running"), "is running");
    EXPECT_EQ(labelValue(""), "");
}

namespace {

link::MonitorDisplay sampleDisplay()
{
    link::MonitorDisplay d;
    d.rpm.text = "RPM = 3000 ";
    d.throttle.text = "TP= 12 [%]";
    d.coolant = {"TW= 120 [°C]", link::Colour::Yellow};
    d.supply = {"U = 13.8 [V]", link::Colour::Normal};
    d.crankPickup = {"Pick-up (CKPS) - is running", link::Colour::Lime};
    d.blocking = {"Blocking = ON", link::Colour::Red};
    d.programmingCount.text = "Number of Programing= 12 ";
    d.sample.rpm = 3000;
    d.sample.throttlePercent = 12;
    d.sample.throttleValid = true;
    d.sample.coolantCelsius = 120;
    d.sample.supplyVolts = 13.8;
    d.sample.crankRunning = true;
    d.sample.blocking = true;
    d.sample.programmingCount = 12;
    d.version = "Unmatched version of PC and Ignition programs!  PC-43, IGN-7";
    return d;
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

} // namespace

TEST(MonitorPrinterTest, LabelsCarryTheirColourUntilAReplyDecidesAgain)
{
    std::ostringstream out;
    MonitorPrinter printer(out, 1, false, false);
    printer.begin();
    EXPECT_TRUE(out.str().empty());
    link::MonitorDisplay first = sampleDisplay();
    printer.print(first, {});
    auto block = lines(out.str());
    ASSERT_EQ(block.size(), MonitorPrinter::kLabelCount + 1);
    EXPECT_EQ(block[0], "RPM = 3000 ");
    EXPECT_EQ(block[3], "TW= 120 [°C] [yellow]");
    EXPECT_EQ(block[7], "U = 13.8 [V]");
    EXPECT_EQ(block[9], "Pick-up (CKPS) - is running [lime]");
    EXPECT_EQ(block[14], "Blocking = ON [red]");
    EXPECT_EQ(block.back(), "");

    out.str("");
    link::MonitorDisplay second = sampleDisplay();
    second.coolant.colour.reset();                 // this reply leaves the colour alone
    second.blocking.colour = link::Colour::Normal; // this one clears it
    second.versionVisible = true;
    second.dataErrorVisible = true;
    printer.print(second, {});
    block = lines(out.str());
    ASSERT_EQ(block.size(), MonitorPrinter::kLabelCount + 3);
    EXPECT_EQ(block[3], "TW= 120 [°C] [yellow]");
    EXPECT_EQ(block[14], "Blocking = ON");
    EXPECT_EQ(block[22], second.version);
    EXPECT_EQ(block[23], "Programmed data error!");
}

TEST(MonitorPrinterTest, ExtendedFormAddsTheProgrammingCount)
{
    std::ostringstream out;
    MonitorPrinter printer(out, 2, true, false);
    link::MonitorDisplay d = sampleDisplay();
    d.dataErrorVisible = true;
    printer.print(d, {});
    const auto block = lines(out.str());
    ASSERT_EQ(block.size(), MonitorPrinter::kLabelCount + 3);
    EXPECT_EQ(block[22], "Number of Programing= 12 ");
    EXPECT_EQ(block[23], "Abgelegte Daten Fehler!");
}

TEST(MonitorPrinterTest, CsvRowsMatchTheHeader)
{
    std::ostringstream out;
    MonitorPrinter printer(out, 1, true, true);
    printer.begin();
    link::MonitorDisplay d = sampleDisplay();
    d.versionVisible = true;
    using namespace std::chrono;
    printer.print(d, system_clock::time_point{milliseconds(1700000000250)});
    const auto rows = lines(out.str());
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("time [ISO 8601],rpm [rpm],throttle [%],", 0), 0u);
    EXPECT_NE(rows[0].find(",programming count [count],"), std::string::npos);
    EXPECT_EQ(rows[1].rfind("2023-11-14T22:13:20.250Z,3000,12,0,120,", 0), 0u);
    // The version text holds a comma and is quoted, so both lines have as many fields.
    const std::string tail = ",12,\"Unmatched version of PC and Ignition programs!  PC-43, "
                             "IGN-7\",0,intake,0,0,0,0,0,0,";
    EXPECT_EQ(rows[1].substr(rows[1].size() - tail.size()), tail);
    auto fields = [](const std::string &row) {
        int n = 1;
        bool quoted = false;
        for (char c : row) {
            if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                ++n;
        }
        return n;
    };
    EXPECT_EQ(fields(rows[0]), fields(rows[1]));
}

// The CSV takes its numbers from the sample; every field reads as the number or word its label
// shows, over replies of any bytes and the edges of each value.
TEST(MonitorPrinterTest, CsvFieldsAreWhatTheLabelsShow)
{
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 2000; ++n) {
        std::array<std::uint8_t, link::kFrameData> data{};
        for (auto &b : data)
            b = static_cast<std::uint8_t>(byte(random));
        if (n % 4 == 0) { // in range often enough to take the other branch of each label
            data[link::monitor::kThrottlePercent - 1] %= 101;
            data[link::monitor::kIntakePressureCount] = 0x07; // 2000 + 256 * k
            data[link::monitor::kIntakePressureCount - 1] = 0xD0;
        }
        const bool extended = n % 2 == 1;
        const auto reply = link::makeFrame(link::kMonitorReply, data);
        link::LiveValues live;
        link::MonitorDisplay d;
        link::MonitorContext context{extended, static_cast<std::uint8_t>(byte(random)),
                                     static_cast<std::uint8_t>(byte(random)), "Versions, "};
        ASSERT_TRUE(link::decodeMonitor(reply, context, live, d));

        std::string expected = "1970-01-01T00:00:00.000Z";
        const link::LabelText *labels[] = {&d.rpm,
                                           &d.throttle,
                                           &d.lambda,
                                           &d.coolant,
                                           &d.air,
                                           &d.intakePressure,
                                           &d.ambientPressure,
                                           &d.supply,
                                           &d.advance,
                                           &d.crankPickup,
                                           &d.camPickup,
                                           &d.injection14,
                                           &d.injection23,
                                           &d.duty,
                                           &d.blocking,
                                           &d.servoDesired,
                                           &d.servoMeasured,
                                           &d.coolantCorrection,
                                           &d.airCorrection,
                                           &d.pressureCorrection,
                                           &d.startCorrection,
                                           &d.supplyCorrection};
        for (const link::LabelText *label : labels)
            expected += ',' + labelValue(label->text);
        if (extended)
            expected += ',' + labelValue(d.programmingCount.text);
        expected += d.versionVisible ? ",\"Versions, " + d.version.substr(10) + '"' : ",";
        expected += d.dataErrorVisible ? ",1" : ",0";
        // The live cells are the sample's, against no image here; no event on a monitor row.
        expected += d.sample.throttleLoad ? ",throttle" : ",intake";
        expected += ",0,0,0,0,0,0,\n";

        std::ostringstream out;
        MonitorPrinter printer(out, 1, extended, true);
        printer.print(d, {});
        ASSERT_EQ(out.str(), expected) << "reply " << n;
    }
}
