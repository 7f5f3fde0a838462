#include "files/parameter_diff.h"
#include "files/parameter_file.h"

#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace velmora;
using namespace velmora::layout;
using files::ByteRange;
using files::differenceLine;
using files::differences;

namespace {

DeviceImage defaults(std::uint8_t model)
{
    DeviceImage image;
    image[kBike] = model;
    applyDefaults(image);
    applyModelConstants(image);
    consistencyPass(image);
    return image;
}

std::vector<std::string> lines(const DeviceImage &a, const DeviceImage &b,
                               std::optional<ByteRange> bytes)
{
    std::vector<std::string> out;
    for (const files::Difference &d : differences(a, b, bytes))
        out.push_back(differenceLine(d));
    return out;
}

using Lines = std::vector<std::string>;

// The differing numbers of two written texts, found by reading the texts word by word: a word
// that is no number names the keyword the numbers after it belong to.
Lines textDifferences(const DeviceImage &a, const DeviceImage &b)
{
    std::istringstream ta(files::writeParameterText(a, false));
    std::istringstream tb(files::writeParameterText(b, false));
    Lines out;
    std::string wa, wb, keyword;
    std::size_t index = 0;
    while (ta >> wa && tb >> wb) {
        const bool number = std::isdigit(static_cast<unsigned char>(wa.back())) &&
                            (std::isdigit(static_cast<unsigned char>(wa[0])) || wa[0] == '-');
        if (!number) {
            EXPECT_EQ(wa, wb);
            keyword = wa;
            index = 0;
            continue;
        }
        if (keyword != "KORVANTA_KEY" && keyword != "EXT_MON" && wa != wb)
            out.push_back(keyword + '[' + std::to_string(index) + "] " + wa + " -> " + wb);
        ++index;
    }
    EXPECT_FALSE(tb >> wb);
    return out;
}

} // namespace

TEST(ParameterDiff, EqualSetsHaveNoDifference)
{
    const DeviceImage a = defaults(3);
    EXPECT_TRUE(differences(a, a, ByteRange{}).empty());
    EXPECT_TRUE(differences(a, a, std::nullopt).empty());
}

TEST(ParameterDiff, NumbersAreNamedAsTheFileHoldsThem)
{
    const DeviceImage a = defaults(0);
    DeviceImage b = a;
    b[kRpmJetTp + 2] = static_cast<std::uint8_t>(a[kRpmJetTp + 2] + 1); // an axis point
    b[kJetTp + 37] = static_cast<std::uint8_t>(a[kJetTp + 37] + 9);     // row 3, column 7
    b[kRpmCorrection] = 95;                                             // written signed
    b[kChokeCorrections + 1] = 7;                                       // CHOKE's sixth number
    b[kTpsOpen] = 3;                                                    // (3 + 250) * 10 mV

    EXPECT_EQ(lines(a, b, std::nullopt),
              (Lines{"RPM[1] " + std::to_string(int(a[kRpmCorrection]) - 100) + " -> -5",
                     "RPM_JET_TP[2] " + std::to_string(a[kRpmJetTp + 2] * 100) + " -> " +
                         std::to_string(b[kRpmJetTp + 2] * 100),
                     "JET_TP[37] " + std::to_string(a[kJetTp + 37]) + " -> " +
                         std::to_string(b[kJetTp + 37]),
                     "TPS[1] " + std::to_string((a[kTpsOpen] + 250) * 10) + " -> 2530",
                     "CHOKE[5] " + std::to_string(a[kChokeCorrections + 1] + 100) + " -> 107"}));
    EXPECT_EQ(lines(b, a, ByteRange{}).size(), 5u) << "no byte line beside the numbers";
}

TEST(ParameterDiff, BytesNoNumberShowsOnlyWhenAskedFor)
{
    DeviceImage a = defaults(1);
    DeviceImage b = a;
    b[id::kVersion] = static_cast<std::uint8_t>(a[id::kVersion] + 1); // the identity block
    b[id::kName] = 'X';
    b[kModelTable + 4] = static_cast<std::uint8_t>(a[kModelTable + 4] ^ 0x40); // a model constant
    b[kAdvance] = static_cast<std::uint8_t>(a[kAdvance] + 2);

    const std::string advance =
        "ADVANCE[0] " + std::to_string(a[kAdvance]) + " -> " + std::to_string(b[kAdvance]);
    EXPECT_EQ(lines(a, b, std::nullopt), Lines{advance});
    EXPECT_EQ(lines(a, b, ByteRange{}),
              (Lines{advance, "BYTE[0] " + std::to_string(a[id::kName]) + " -> 88",
                     "BYTE[3] " + std::to_string(a[id::kVersion]) + " -> " +
                         std::to_string(b[id::kVersion]),
                     "BYTE[234] " + std::to_string(a[kModelTable + 4]) + " -> " +
                         std::to_string(b[kModelTable + 4])}));
    // The parameter set alone leaves the identity block out.
    EXPECT_EQ(lines(a, b, ByteRange{kParameterStart, kImageSize}).size(), 2u);
}

TEST(ParameterDiff, AByteTheFileHoldsAsAFlagIsNeverLost)
{
    DeviceImage a = defaults(2);
    a[kPrivEnable] = 0;
    DeviceImage b = a;
    b[kPrivEnable] = 2;
    // The file shows the change from 0; the byte itself is carried by that number.
    EXPECT_EQ(lines(a, b, ByteRange{}), Lines{"PRIV_ENABLE[0] 0 -> 1"});
    // Both bytes read 1 in the file: only the byte line tells them apart.
    a[kPrivEnable] = 1;
    EXPECT_EQ(lines(a, b, std::nullopt), Lines{});
    EXPECT_EQ(lines(a, b, ByteRange{}), Lines{"BYTE[111] 1 -> 2"});
}

TEST(ParameterDiff, RandomSetsDifferWhereTheirTextsDifferAndEveryByteIsAccounted)
{
    std::mt19937 rng(1717);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> spot(0, int(kImageSize) - 1);
    for (int round = 0; round < 200; ++round) {
        DeviceImage a;
        for (auto &v : a.bytes())
            v = static_cast<std::uint8_t>(byte(rng));
        DeviceImage b = a;
        const int changes = round % 7 == 0 ? 600 : round % 20;
        for (int k = 0; k < changes; ++k)
            b[std::size_t(spot(rng))] = static_cast<std::uint8_t>(byte(rng));

        const std::vector<files::Difference> found = differences(a, b, std::nullopt);
        Lines numbers;
        for (const files::Difference &d : found)
            numbers.push_back(differenceLine(d));
        ASSERT_EQ(numbers, textDifferences(a, b)) << "round " << round;

        std::set<std::size_t> listed;
        for (const files::Difference &d : differences(a, b, ByteRange{}))
            EXPECT_TRUE(listed.insert(d.offset).second) << "byte " << d.offset << " twice";
        std::set<std::size_t> differing;
        for (std::size_t n = 0; n < kImageSize; ++n)
            if (a[n] != b[n])
                differing.insert(n);
        EXPECT_EQ(listed, differing) << "round " << round;
    }
}
