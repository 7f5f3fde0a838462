#include "files/parameter_file.h"

#include "model/parameter_set.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace velmora;
using namespace velmora::layout;
using namespace std::string_literals;
using velmora::test::TempFolder;

namespace {

DeviceImage randomImage(std::mt19937 &rng)
{
    std::uniform_int_distribution<int> byte(0, 255);
    DeviceImage image;
    for (auto &b : image.bytes())
        b = static_cast<std::uint8_t>(byte(rng));
    return image;
}

// The bytes a parameter file carries, listed here rather than taken from the model's field
// table so that a field dropped there shows up as a failure here.
std::array<bool, kImageSize> carriedBytes()
{
    const Range runs[] = {
        {kBike, 1},       {kRpmPulses, 1},        {kRpmCorrection, 1}, {kLimiter2, 1},
        {kPilotLight, 1}, {kPrivHyster, 1},       {kPrivEnable, 1},    {kBlokEnable, 1},
        {kIapToTps, 1},   {kTpsClosed, 1},        {kTpsOpen, 1},       {kAccelThreshold, 1},
        {kAccelSize, 1},  {kStartJet, 1},         {kCooling, 1},       {kTpsMode, 1},
        {kChokeTimes, 4}, {kChokeCorrections, 4}, {kIntakeValve, 1},   {kTuning, 5},
        {kWaterTemp, 5},  {kAirTemp, 5},          {kRpmAdv, 10},       {kAdvance, 10},
        {kRpmPriv, 10},   {kNapPriv, 10},         {kRpmJetTp, 10},     {kRpmJetTpi, 10},
        {kRpmJetIap, 10}, {kJetTp, 100},          {kJetTpi, 100},      {kJetIap, 100},
    };
    std::array<bool, kImageSize> carried{};
    for (const Range &r : runs)
        for (std::size_t i = 0; i < r.count; ++i)
            carried[r.first + i] = true;
    return carried;
}

std::vector<std::string> splitLines(const std::string &text, const std::string &end)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at; (at = text.find(end, from)) != std::string::npos; from = at + end.size())
        lines.push_back(text.substr(from, at - from));
    lines.push_back(text.substr(from));
    return lines;
}

std::string pad(const std::string &keyword, std::size_t width = 12)
{
    return keyword + std::string(width - keyword.size(), ' ');
}

// Values as the file shows them: (byte + add) * unit, each right-aligned in five and a blank.
std::string shown(const DeviceImage &image, std::size_t offset, std::size_t count, int unit = 1,
                  int add = 0)
{
    std::string out;
    char buffer[16];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(buffer, sizeof buffer, "%5d ", (image[offset + i] + add) * unit);
        out += buffer;
    }
    return out;
}

// The 67 lines, built from the layout rather than by the writer's own means.
std::vector<std::string> expectedLines(const DeviceImage &im, bool extendedMonitor)
{
    std::vector<std::string> l{
        "KORVANTA_KEY   43 ",
        pad("RPM_ADV") + shown(im, kRpmAdv, 10, 100),
        pad("ADVANCE") + shown(im, kAdvance, 10),
        "",
        pad("RPM", 13) + shown(im, kRpmPulses, 1) + shown(im, kRpmCorrection, 1, 1, -100),
        pad("LIMITER2") + shown(im, kLimiter2, 1, 100),
        pad("PILOT_LIGHT") + shown(im, kPilotLight, 1, 100) + shown(im, kIntakeValve, 1, 100),
        "",
        pad("BIKE") + shown(im, kBike, 1),
        pad("EXT_MON") + (extendedMonitor ? "    1" : "    0"),
        pad("BLOK_ENABLE") + shown(im, kBlokEnable, 1),
        pad("IAP_TO_TPS") + shown(im, kIapToTps, 1),
        pad("TPS_MODE") + shown(im, kTpsMode, 1),
        "",
    };
    const struct {
        const char *axisName;
        std::size_t axis;
        const char *mapName;
        std::size_t map;
    } maps[] = {{"RPM_JET_TP", kRpmJetTp, "JET_TP", kJetTp},
                {"RPM_JET_TPi", kRpmJetTpi, "JET_TPi", kJetTpi},
                {"RPM_JET_IAP", kRpmJetIap, "JET_IAP", kJetIap}};
    for (const auto &m : maps) {
        l.push_back(pad(m.axisName) + shown(im, m.axis, 10, 100));
        for (std::size_t row = 0; row < 10; ++row)
            l.push_back(pad(row == 0 ? m.mapName : "") + shown(im, m.map + 10 * row, 10));
        l.push_back(std::string(12, ' '));
        if (m.map != kJetIap)
            l.push_back("");
    }
    const std::vector<std::string> tail{
        pad("TPS") + shown(im, kTpsClosed, 1, 10) + shown(im, kTpsOpen, 1, 10, 250),
        pad("ACCEL") + shown(im, kAccelThreshold, 1, 10) + shown(im, kAccelSize, 1, 30),
        pad("START_JET") + shown(im, kStartJet, 1),
        pad("COOLING") + shown(im, kCooling, 1),
        pad("WATER_TEMP") + shown(im, kWaterTemp, 5),
        pad("CHOKE") + shown(im, kChokeTimes, 4),
        shown(im, kChokeCorrections, 4, 1, 100),
        pad("AIR_TEMP") + shown(im, kAirTemp, 5),
        "",
        "PRIV_ENABLE"s + (im[kPrivEnable] != 0 ? "     1" : "     0"),
        "PRIV_HYSTER " + shown(im, kPrivHyster, 1, 5),
        pad("RPM_PRIV") + shown(im, kRpmPriv, 10, 100),
        pad("NAP_PRIV") + shown(im, kNapPriv, 10, 20),
        "",
        pad("TUNING") + shown(im, kTuning, 3, 10) + shown(im, kTuningTps, 1) +
            shown(im, kTuningTime, 1, 100),
    };
    l.insert(l.end(), tail.begin(), tail.end());
    return l;
}

struct Read {
    files::ParameterReadResult result;
    DeviceImage image;
    bool extendedMonitor;
};

// Reads `text` into a copy of `image`, with the check box set to `extendedMonitor` beforehand.
Read readInto(const std::string &text, const DeviceImage &image, bool extendedMonitor = true)
{
    Read r{{}, image, extendedMonitor};
    r.result = files::readParameterText(text, r.image, r.extendedMonitor);
    return r;
}

DeviceImage patterned()
{
    DeviceImage image;
    for (std::size_t i = 0; i < kImageSize; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return image;
}

const std::string kKeyLine = "KORVANTA_KEY 43\n";

} // namespace

TEST(ParameterText, DefaultImageGivesTheExactText)
{
    DeviceImage image;
    applyDefaults(image);
    const std::string text = files::writeParameterText(image, true);

    const std::vector<std::string> lines = splitLines(text, "\r\n");
    ASSERT_EQ(lines.size(), 67u);
    EXPECT_EQ(lines, expectedLines(image, true));
    for (const std::string &line : lines)
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    EXPECT_NE(text.back(), '\n');

    // The lines whose padding departs from the common field of 12 characters, spelt out.
    EXPECT_EQ(lines[0], "KORVANTA_KEY   43 ");
    EXPECT_EQ(lines[4], "RPM              2     0 ");
    EXPECT_EQ(lines[9], "EXT_MON         1");
    EXPECT_EQ(lines[16],
              "              100   100   100   100   100   100   100   100   100   100 ");
    EXPECT_EQ(lines[25], "            ");
    EXPECT_EQ(lines[58], "  250   150   130   110 ");
    EXPECT_EQ(lines[61], "PRIV_ENABLE     1");
    EXPECT_EQ(lines[62], "PRIV_HYSTER   200 ");
    EXPECT_EQ(lines[66], "TUNING        800    50   100     1  1000 ");
}

TEST(ParameterText, ExtremeBytesKeepTheColumns)
{
    DeviceImage zero;
    const auto low = splitLines(files::writeParameterText(zero, false), "\r\n");
    ASSERT_EQ(low.size(), 67u);
    EXPECT_EQ(low, expectedLines(zero, false));
    EXPECT_EQ(low[4], "RPM              0  -100 ");
    EXPECT_EQ(low[9], "EXT_MON         0");
    EXPECT_EQ(low[52], "TPS             0  2500 ");
    EXPECT_EQ(low[61], "PRIV_ENABLE     0");

    DeviceImage full;
    full.bytes().fill(255);
    const auto high = splitLines(files::writeParameterText(full, false), "\r\n");
    ASSERT_EQ(high.size(), 67u);
    EXPECT_EQ(high, expectedLines(full, false));
    EXPECT_EQ(high[4], "RPM            255   155 ");
    EXPECT_EQ(high[52], "TPS          2550  5050 ");
    EXPECT_EQ(high[61], "PRIV_ENABLE     1");
    EXPECT_EQ(high[62], "PRIV_HYSTER  1275 ");
    EXPECT_EQ(high[66], "TUNING       2550  2550  2550   255 25500 ");
}

TEST(ParameterText, RandomImagesReadBackIntoTheCarriedBytesOnly)
{
    const auto carried = carriedBytes();
    std::mt19937 rng(4711);
    for (int round = 0; round < 300; ++round) {
        const DeviceImage source = randomImage(rng);
        const DeviceImage target = randomImage(rng);
        const bool extendedMonitor = round % 2 == 0;
        std::string text = files::writeParameterText(source, extendedMonitor);
        if (round % 3 == 1) // LF-only line ends
            text = [&] {
                std::string lf;
                for (char c : text)
                    if (c != '\r')
                        lf += c;
                return lf;
            }();

        const Read r = readInto(text, target, !extendedMonitor);
        ASSERT_TRUE(r.result.accepted);
        ASSERT_EQ(r.result.extendedMonitor, extendedMonitor);
        ASSERT_EQ(r.extendedMonitor, extendedMonitor);
        for (std::size_t i = 0; i < kImageSize; ++i) {
            const int expected = !carried[i]        ? target[i]
                                 : i == kPrivEnable ? (source[i] != 0 ? 1 : 0)
                                                    : source[i];
            ASSERT_EQ(r.image[i], expected) << "round " << round << " byte " << i;
        }
    }
}

TEST(ParameterText, NegativeRpmCorrectionReadsBack)
{
    DeviceImage image;
    applyDefaults(image);
    image[kRpmCorrection] = 37;
    const std::string text = files::writeParameterText(image, false);
    EXPECT_NE(text.find("\r\nRPM              2   -63 \r\n"), std::string::npos);
    EXPECT_EQ(readInto(text, DeviceImage()).image[kRpmCorrection], 37);
}

TEST(ParameterRead, KeyNeedsFormatNumber43)
{
    const struct {
        std::string text;
        bool accepted;
    } cases[] = {
        {"KORVANTA_KEY 42 COOLING 7", false},
        {"KORVANTA_KEY 42 KORVANTA_KEY 43 COOLING 7", true},
        {"KORVANTA_KEY KORVANTA_KEY 43 COOLING 7", true},
        {"some words 12 before KORVANTA_KEY\t043\r\nCOOLING 7", true},
        {"KORVANTA_KEY +43 COOLING 7", true},
        {"KORVANTA_KEY 4294967339 COOLING 7", true}, // digits wrap modulo 2^32
        {"KORVANTA_KEY 65579 COOLING 7", false},     // 43 only in the low 16 bits
        {"KORVANTA_KEY -43 COOLING 7", false},
        {"KORVANTA_KEY 43x COOLING 7", false},
        {"KORVANTA_KEY43 COOLING 7", false},
        {"korvanta_key 43 COOLING 7", false},
        {"KORVANTA_KEY\0 43 COOLING 7"s, false},
        {"COOLING 7 KORVANTA_KEY", false},
        {"", false},
    };
    const DeviceImage before = patterned();
    for (const auto &c : cases) {
        const Read r = readInto(c.text + " EXT_MON 0", before);
        EXPECT_EQ(r.result.accepted, c.accepted) << c.text;
        EXPECT_EQ(r.image[kCooling], c.accepted ? 7 : before[kCooling]) << c.text;
        EXPECT_EQ(r.extendedMonitor, !c.accepted) << c.text;
    }
}

TEST(ParameterRead, WordsBeforeTheAcceptedKeyAreIgnored)
{
    const DeviceImage before = patterned();
    const Read r = readInto("BIKE 3 KORVANTA_KEY 42 COOLING 9 KORVANTA_KEY 43 START_JET 4", before);
    ASSERT_TRUE(r.result.accepted);
    EXPECT_EQ(r.image[kBike], before[kBike]);
    EXPECT_EQ(r.image[kCooling], before[kCooling]);
    EXPECT_EQ(r.image[kStartJet], 4);
}

TEST(ParameterRead, FileWithoutKeyChangesNothing)
{
    std::mt19937 rng(99);
    const std::string text = files::writeParameterText(randomImage(rng), false);
    const DeviceImage before = randomImage(rng);
    const Read r = readInto(text.substr(text.find("\r\n")), before, true);
    EXPECT_FALSE(r.result.accepted);
    EXPECT_FALSE(r.result.extendedMonitor.has_value());
    EXPECT_EQ(r.image, before);
    EXPECT_TRUE(r.extendedMonitor);
}

TEST(ParameterRead, KeywordsInAnyOrderRepeatedOrMissing)
{
    const DeviceImage before = patterned();
    const Read r = readInto(kKeyLine + "TUNING 800 50 100 1 1000 BIKE 3\tRPM\n2\n-7 BIKE 4\n"
                                       "CHOKE 5 10\n15 20\n250 150 130 110 ADVANCE 1 2 3 4 5 6 7 8"
                                       " 9 10 ADVANCE 11 12 13 14 15 16 17 18 19 20",
                            before);
    ASSERT_TRUE(r.result.accepted);
    EXPECT_EQ(r.image[kBike], 4);
    EXPECT_EQ(r.image[kRpmPulses], 2);
    EXPECT_EQ(r.image[kRpmCorrection], 93);
    const std::uint8_t tuning[] = {80, 5, 10, 1, 10};
    const std::uint8_t choke[] = {5, 10, 15, 20, 150, 50, 30, 10};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(r.image[kTuning + i], tuning[i]);
    for (std::size_t i = 0; i < 8; ++i)
        EXPECT_EQ(r.image[kChokeTimes + i], choke[i]);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(r.image[kAdvance + i], static_cast<int>(11 + i));

    // Everything else keeps its byte, and a text without EXT_MON leaves the check box alone.
    DeviceImage expected = r.image;
    for (std::size_t i : {kBike, kRpmPulses, kRpmCorrection})
        expected[i] = before[i];
    for (std::size_t i = 0; i < 5; ++i)
        expected[kTuning + i] = before[kTuning + i];
    for (std::size_t i = 0; i < 8; ++i)
        expected[kChokeTimes + i] = before[kChokeTimes + i];
    for (std::size_t i = 0; i < 10; ++i)
        expected[kAdvance + i] = before[kAdvance + i];
    EXPECT_EQ(expected, before);
    EXPECT_FALSE(r.result.extendedMonitor.has_value());
    EXPECT_TRUE(r.extendedMonitor);
}

TEST(ParameterRead, ValuesUseTheStoredWidths)
{
    const struct {
        std::string text;
        std::size_t offset;
        int expected;
    } cases[] = {
        {"RPM 2 -5", kRpmCorrection, 95},
        {"RPM 2 -100", kRpmCorrection, 0},
        {"RPM 2 155", kRpmCorrection, 255},
        {"TPS 500 2500", kTpsOpen, 0},
        {"TPS 500 2490", kTpsOpen, 255},
        {"TPS 500 4609", kTpsOpen, 210},
        {"LIMITER2 66536", kLimiter2, 10},       // 65536 + 1000: only 1000 divides
        {"LIMITER2 4294967295", kLimiter2, 143}, // 65535 / 100 = 655
        {"LIMITER2 -100", kLimiter2, 142},       // the same 16 bits as 65436
        {"ACCEL 0 65535", kAccelSize, 136},      // 2184
        {"PRIV_HYSTER 1279", kPrivHyster, 255},
        {"PRIV_HYSTER 1280", kPrivHyster, 0},
        {"BIKE 300", kBike, 44},
        {"PRIV_ENABLE 7", kPrivEnable, 7},
        {"CHOKE 1 2 3 4 99 100 101 355", kChokeCorrections, 255},
        {"CHOKE 1 2 3 4 99 100 101 355", kChokeCorrections + 3, 255},
        {"CHOKE 1 2 3 4 99 100 101 355", kChokeCorrections + 1, 0},
        {"TUNING 10 20 30 4 65636", kTuningTime, 1},
        {"NAP_PRIV 0 0 0 0 0 0 0 0 0 65556", kNapPriv + 9, 1},
    };
    for (const auto &c : cases) {
        const Read r = readInto(kKeyLine + c.text, patterned());
        EXPECT_EQ(r.image[c.offset], c.expected) << c.text;
    }
}

TEST(ParameterRead, StrayWordsAndGaps)
{
    const DeviceImage before = patterned();
    const Read r = readInto(kKeyLine + "BIKE 3 comment COOLING 7 99 -1 START_JET 5\n"
                                       "ADVANCE 1 2 3 WATER_TEMP 9 8 7 6 5\n"
                                       "RPM 4 x5 TPS_MODE 12abc EXT_MON IAP_TO_TPS 6 BLOK_ENABLE",
                            before, true);
    ASSERT_TRUE(r.result.accepted);
    EXPECT_EQ(r.image[kBike], 3);
    EXPECT_EQ(r.image[kCooling], 7);
    EXPECT_EQ(r.image[kStartJet], 5);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_EQ(r.image[kAdvance + i], i < 3 ? static_cast<int>(i + 1) : before[kAdvance + i]);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(r.image[kWaterTemp + i], static_cast<int>(9 - i));
    EXPECT_EQ(r.image[kRpmPulses], 4);
    EXPECT_EQ(r.image[kRpmCorrection], before[kRpmCorrection]);
    EXPECT_EQ(r.image[kTpsMode], before[kTpsMode]);
    EXPECT_EQ(r.image[kIapToTps], 6);
    EXPECT_EQ(r.image[kBlokEnable], before[kBlokEnable]);
    EXPECT_FALSE(r.result.extendedMonitor.has_value());
    EXPECT_TRUE(r.extendedMonitor);
}

TEST(ParameterRead, ExtMonFollowsItsLastValue)
{
    EXPECT_FALSE(readInto(kKeyLine + "EXT_MON 0", DeviceImage(), true).extendedMonitor);
    EXPECT_TRUE(readInto(kKeyLine + "EXT_MON 7", DeviceImage(), false).extendedMonitor);
    EXPECT_TRUE(readInto(kKeyLine + "EXT_MON 65536", DeviceImage(), false).extendedMonitor);
    const Read r = readInto(kKeyLine + "EXT_MON 1 EXT_MON 0", DeviceImage(), true);
    EXPECT_EQ(r.result.extendedMonitor, false);
    EXPECT_FALSE(r.extendedMonitor);
}

TEST(ParameterRead, LongWordsAndBinaryBytesAreWordsLikeAnyOther)
{
    const DeviceImage before = patterned();
    // A word is never cut, so a keyword glued to the end of a long word stays hidden in it.
    Read r = readInto(kKeyLine + std::string(270, 'A') + "COOLING 7 " + std::string(100000, 'B') +
                          " START_JET " + std::string(300, '0') + "7",
                      before);
    ASSERT_TRUE(r.result.accepted);
    EXPECT_EQ(r.image[kCooling], before[kCooling]);
    EXPECT_EQ(r.image[kStartJet], 7);

    r = readInto("KORVANTA_KEY" + std::string(300, 'x') + " 43 COOLING 7", before);
    EXPECT_FALSE(r.result.accepted);
    EXPECT_EQ(r.image, before);

    r = readInto(kKeyLine + "BIKE\0 3 COOLING\xA0 9 START_JET\0\n"s + "START_JET 4 \xFF\0"s,
                 before);
    ASSERT_TRUE(r.result.accepted);
    EXPECT_EQ(r.image[kBike], before[kBike]);
    EXPECT_EQ(r.image[kCooling], before[kCooling]);
    EXPECT_EQ(r.image[kStartJet], 4);
}

TEST(ParameterRead, GarbageNeverTouchesWhatTheFileDoesNotCarry)
{
    const auto carried = carriedBytes();
    const std::string vocabulary[] = {
        "KORVANTA_KEY",
        "43",
        "42",
        "-5",
        "65536",
        "4294967296",
        "EXT_MON",
        "RPM",
        "CHOKE",
        "TPS",
        "BIKE",
        "JET_IAP",
        "TUNING",
        "x",
        "\0"s,
        "+",
        "-",
        "\xFF",
        "99999999999999999999",
        "PRIV_ENABLE",
        "JET_TP",
    };
    const char separators[] = {' ', '\t', '\n', '\r', '\v', 'Q'};
    std::mt19937 rng(20240611);
    const DeviceImage base = randomImage(rng);
    const std::string written = files::writeParameterText(base, true);

    for (int round = 0; round < 3000; ++round) {
        std::string text;
        std::uniform_int_distribution<int> byte(0, 255);
        const int kind = round % 3;
        if (kind == 0) {
            text.resize(std::uniform_int_distribution<std::size_t>(0, 600)(rng));
            for (char &c : text)
                c = static_cast<char>(byte(rng));
        } else if (kind == 1) {
            const int words = std::uniform_int_distribution<int>(0, 80)(rng);
            for (int w = 0; w < words; ++w) {
                text += vocabulary[rng() % std::size(vocabulary)];
                text += separators[rng() % std::size(separators)];
            }
        } else {
            text = written;
            for (int flips = 0; flips < 8; ++flips)
                text[rng() % text.size()] = static_cast<char>(byte(rng));
        }

        const DeviceImage before = randomImage(rng);
        const bool extendedMonitor = round % 2 == 0;
        const Read r = readInto(text, before, extendedMonitor);
        if (text.find("KORVANTA_KEY") == std::string::npos) {
            ASSERT_FALSE(r.result.accepted) << round;
        }
        if (!r.result.accepted) {
            ASSERT_EQ(r.image, before) << round;
            ASSERT_EQ(r.extendedMonitor, extendedMonitor) << round;
            continue;
        }
        ASSERT_EQ(r.extendedMonitor, r.result.extendedMonitor.value_or(extendedMonitor)) << round;
        for (std::size_t i = 0; i < kImageSize; ++i)
            if (!carried[i]) {
                ASSERT_EQ(r.image[i], before[i]) << "round " << round << " byte " << i;
            }
    }
}

TEST(ParameterFile, SavedBytesAreTheTextAndLoadBack)
{
    TempFolder folder;
    std::mt19937 rng(7);
    const DeviceImage image = randomImage(rng);
    const auto path = folder.path() / "bike.ign";
    ASSERT_TRUE(files::saveParameterFile(path, image, true));

    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), files::writeParameterText(image, true));

    DeviceImage loaded = randomImage(rng);
    bool extendedMonitor = false;
    EXPECT_EQ(files::loadParameterFile(path, loaded, extendedMonitor), true);
    EXPECT_TRUE(extendedMonitor);
    const auto carried = carriedBytes();
    for (std::size_t i = 0; i < kImageSize; ++i)
        if (carried[i] && i != kPrivEnable) {
            ASSERT_EQ(loaded[i], image[i]) << i;
        }
}

TEST(ParameterFile, UnopenableOrRejectedFilesChangeNothing)
{
    TempFolder folder;
    const DeviceImage before = patterned();
    DeviceImage image = before;
    bool extendedMonitor = true;

    EXPECT_EQ(files::loadParameterFile(folder.path() / "none.ign", image, extendedMonitor),
              std::nullopt);
    EXPECT_EQ(files::loadParameterFile(folder.path(), image, extendedMonitor), std::nullopt);
    EXPECT_FALSE(files::saveParameterFile(folder.path() / "no" / "x.ign", image, false));
    EXPECT_FALSE(files::saveParameterFile(folder.path(), image, false));

    const auto path = folder.path() / "other.ign";
    std::ofstream(path, std::ios::binary) << "KORVANTA_KEY 42\r\nEXT_MON 0\r\nBIKE 3";
    EXPECT_EQ(files::loadParameterFile(path, image, extendedMonitor), false);
    EXPECT_EQ(image, before);
    EXPECT_TRUE(extendedMonitor);
}
