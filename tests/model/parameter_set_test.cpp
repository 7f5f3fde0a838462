#include "model/parameter_set.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::Bytes;
using velmora::test::bytesAt;
using velmora::test::differences;
using velmora::test::randomImage;

namespace {

DeviceImage defaultsFor(std::uint8_t model, DeviceImage image = {})
{
    image[kBike] = model;
    applyDefaults(image);
    return image;
}

const Bytes kAxis{10, 20, 30, 40, 60, 80, 100, 120, 140, 160};
const Bytes kAxis3{10, 20, 30, 40, 50, 60, 70, 80, 100, 120};

} // namespace

TEST(Defaults, CommonValuesForEveryModel)
{
    for (std::uint8_t m = 0; m < kModelCount; ++m) {
        const DeviceImage image = defaultsFor(m);
        EXPECT_EQ(image[kRpmPulses], 2);
        EXPECT_EQ(image[kRpmCorrection], 100);
        EXPECT_EQ(bytesAt(image, kChokeTimes, 4), (Bytes{5, 10, 15, 20}));
        EXPECT_EQ(bytesAt(image, kChokeCorrections, 4), (Bytes{150, 50, 30, 10}));
        for (std::size_t map : {kJetTp, kJetTpi, kJetIap})
            EXPECT_EQ(bytesAt(image, map, 100), Bytes(100, 100));
        EXPECT_EQ(image[kPrivHyster], 40);
        EXPECT_EQ(image[kCooling], 100);
        EXPECT_EQ(image[kAccelThreshold], 30);
        EXPECT_EQ(image[kAccelSize], 84);
        EXPECT_EQ(image[kIntakeValve], 60);
        EXPECT_EQ(image[kTpsMode], 1);
        EXPECT_EQ(image[kIapToTps], 5);
        EXPECT_EQ(image[kPrivEnable], 1);
        EXPECT_EQ(bytesAt(image, kTuning, 5), (Bytes{80, 5, 10, 1, 10}));
        EXPECT_EQ(image[kStartJet], 10);
        EXPECT_EQ(image[kTpsClosed], 50);
        EXPECT_EQ(image[kTpsOpen], 192);
        const Bytes &axis = m == 3 ? kAxis3 : kAxis;
        for (std::size_t a : {kRpmAdv, kRpmJetTp, kRpmJetTpi, kRpmJetIap})
            EXPECT_EQ(bytesAt(image, a, 10), axis) << "model " << int(m);
        EXPECT_EQ(image[kBike], m);
    }
}

TEST(Defaults, PerModelValues)
{
    const DeviceImage m0 = defaultsFor(0);
    EXPECT_EQ(bytesAt(m0, kAdvance, 10), (Bytes{7, 15, 25, 29, 35, 32, 31, 30, 33, 33}));
    EXPECT_EQ(m0[kLimiter2], 140);
    EXPECT_EQ(m0[kPilotLight], 120);
    EXPECT_EQ(m0[kBlokEnable], 1);
    EXPECT_EQ(bytesAt(m0, kWaterTemp, 5), (Bytes{136, 125, 111, 100, 99}));
    EXPECT_EQ(bytesAt(m0, kAirTemp, 5), (Bytes{119, 109, 100, 100, 100}));
    EXPECT_EQ(m0[kAdvanceLimit], 101);
    EXPECT_EQ(bytesAt(m0, kModelTable, 10),
              (Bytes{152, 150, 149, 227, 230, 240, 217, 212, 227, 227}));

    const DeviceImage m2 = defaultsFor(2);
    EXPECT_EQ(bytesAt(m2, kAdvance, 10), (Bytes{5, 10, 23, 40, 40, 40, 40, 37, 37, 37}));
    EXPECT_EQ(m2[kLimiter2], 105);
    EXPECT_EQ(m2[kPilotLight], 90);
    EXPECT_EQ(bytesAt(m2, kRpmPriv, 10), (Bytes{25, 26, 63, 64, 150, 151, 152, 153, 154, 160}));
    EXPECT_EQ(bytesAt(m2, kNapPriv, 10), (Bytes{135, 226, 226, 24, 24, 24, 24, 24, 24, 24}));
    EXPECT_EQ(m2[kModelByte110], 1);
    EXPECT_EQ(bytesAt(m2, kModelTable, 10), (Bytes{191, 191, 188, 196, 205, 235, 21, 31, 31, 31}));

    const DeviceImage m3 = defaultsFor(3);
    EXPECT_EQ(m3[kBlokEnable], 0);
    EXPECT_EQ(m3[kLimiter2], 110);
    EXPECT_EQ(bytesAt(m3, kAdvance, 10), (Bytes{13, 16, 31, 39, 39, 39, 38, 38, 38, 38}));
    EXPECT_EQ(bytesAt(m3, kWaterTemp, 5), (Bytes{139, 110, 104, 100, 99}));
    EXPECT_EQ(bytesAt(m3, kAirTemp, 5), (Bytes{121, 110, 100, 97, 97}));
    EXPECT_EQ(bytesAt(m3, kRpmPriv, 10), kAxis);
    EXPECT_EQ(bytesAt(m3, kNapPriv, 10), (Bytes{100, 105, 110, 115, 120, 125, 130, 135, 140, 145}));
    EXPECT_EQ(m3[kAdvanceLimit], 95);
    EXPECT_EQ(m3[kModelByte125], 70);
    EXPECT_EQ(bytesAt(m3, kModelTable, 10), bytesAt(m0, kModelTable, 10));
}

TEST(Defaults, ModelZeroKeepsItsServoCurve)
{
    std::mt19937 rng(7);
    const DeviceImage before = randomImage(rng);
    const DeviceImage after = defaultsFor(0, before);
    EXPECT_EQ(bytesAt(after, kRpmPriv, 10), bytesAt(before, kRpmPriv, 10));
    EXPECT_EQ(bytesAt(after, kNapPriv, 10), bytesAt(before, kNapPriv, 10));
}

TEST(Defaults, ModelsOneAndFourAreIdentical)
{
    std::mt19937 rng(11);
    const DeviceImage start = randomImage(rng);
    const std::vector<std::size_t> diff = differences(defaultsFor(1, start), defaultsFor(4, start));
    EXPECT_EQ(diff, std::vector<std::size_t>{kBike});
}

TEST(Defaults, ModelAboveFourWritesOnlyTheCommonValues)
{
    std::mt19937 rng(5);
    const DeviceImage before = randomImage(rng);
    const DeviceImage after = defaultsFor(9, before);
    for (std::size_t single : {kStartJet, kTpsClosed, kTpsOpen, kLimiter2, kPilotLight, kBlokEnable,
                               kAdvanceLimit, kModelByte110, kModelByte125, kModelByte126})
        EXPECT_EQ(after[single], before[single]) << single;
    for (auto [offset, n] : {std::pair{kWaterTemp, 5},
                             {kAirTemp, 5},
                             {kAdvance, 10},
                             {kRpmPriv, 10},
                             {kNapPriv, 10},
                             {kModelTable, 10}})
        EXPECT_EQ(bytesAt(after, offset, n), bytesAt(before, offset, n)) << offset;
    EXPECT_EQ(after[kBike], 9);
    EXPECT_EQ(bytesAt(after, kRpmAdv, 10), kAxis);
    EXPECT_EQ(after[kCooling], 100);
}

TEST(ModelConstants, AboveFourChangesNothing)
{
    std::mt19937 rng(3);
    DeviceImage image = randomImage(rng);
    image[kBike] = 5;
    const DeviceImage before = image;
    applyModelConstants(image);
    EXPECT_EQ(image, before);
}

TEST(ChooseModel, WithoutDefaultsOnlyTheConstantsFollow)
{
    DeviceImage image = defaultsFor(0);
    consistencyPass(image);
    const DeviceImage before = image;
    chooseModel(image, 2);

    std::vector<std::size_t> expected{kBike, kAdvanceLimit, kModelByte110};
    for (std::size_t i = 0; i < 10; ++i)
        if (before[kModelTable + i] != image[kModelTable + i])
            expected.push_back(kModelTable + i);
    EXPECT_EQ(differences(before, image), expected);
    EXPECT_EQ(image[kBike], 2);
    EXPECT_EQ(image[kAdvanceLimit], 100);
    EXPECT_EQ(image[kModelByte110], 1);
    EXPECT_EQ(image[kModelByte125], 65);
    EXPECT_EQ(image[kModelByte126], 0);
    EXPECT_EQ(bytesAt(image, kModelTable, 10),
              (Bytes{191, 191, 188, 196, 205, 235, 21, 31, 31, 31}));
}

// Default setting, the constants step and the pass never touch the identity block, the reserved
// bytes or BIKE.
TEST(ParameterSet, IdentityReservedAndBikeAreNeverTouched)
{
    std::mt19937 rng(2024);
    for (int round = 0; round < 200; ++round) {
        const DeviceImage before = randomImage(rng);
        DeviceImage image = before;
        applyDefaults(image);
        applyModelConstants(image);
        consistencyPass(image);
        chooseModel(image, before.bike());

        for (std::size_t i = 0; i < kParameterStart; ++i)
            ASSERT_EQ(image[i], before[i]) << "identity byte " << i;
        for (const Range &r : kReserved)
            for (std::size_t i = r.first; i < r.first + r.count; ++i)
                ASSERT_EQ(image[i], before[i]) << "reserved byte " << i;
        ASSERT_EQ(image.bike(), before.bike());
    }
}
