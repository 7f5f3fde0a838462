#include "model/parameter_set.h"
#include "test_images.h"

#include <gtest/gtest.h>

#include <vector>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::Bytes;
using velmora::test::bytesAt;
using velmora::test::put;
using velmora::test::randomImage;

namespace {

constexpr std::size_t kAxes[] = {kRpmAdv, kRpmJetTp, kRpmJetTpi, kRpmJetIap, kRpmPriv};

DeviceImage startImage()
{
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    return image;
}

} // namespace

TEST(ConsistencyPass, SpeedAxesAreBoundedAndRising)
{
    for (std::size_t axis : kAxes) {
        DeviceImage image = startImage();
        put(image, axis, Bytes(10, 0));
        consistencyPass(image);
        EXPECT_EQ(bytesAt(image, axis, 10), (Bytes{3, 4, 5, 6, 7, 8, 9, 10, 11, 12})) << axis;

        put(image, axis, Bytes(10, 250));
        consistencyPass(image);
        EXPECT_EQ(bytesAt(image, axis, 10),
                  (Bytes{191, 192, 193, 194, 195, 196, 197, 198, 199, 200}))
            << axis;

        put(image, axis, {10, 10, 10, 40, 60, 80, 100, 120, 140, 160});
        consistencyPass(image);
        EXPECT_EQ(bytesAt(image, axis, 10), (Bytes{10, 11, 12, 40, 60, 80, 100, 120, 140, 160}))
            << axis;

        // A fall in the middle is lifted point by point, never above the point's own bound.
        put(image, axis, {10, 20, 30, 200, 5, 5, 5, 5, 5, 5});
        consistencyPass(image);
        EXPECT_EQ(bytesAt(image, axis, 10), (Bytes{10, 20, 30, 194, 195, 196, 197, 198, 199, 200}))
            << axis;
    }
}

TEST(ConsistencyPass, AdvanceLimitCapsTheCurveBeforeItIsBounded)
{
    DeviceImage image = startImage();
    image[kAdvanceLimit] = 95;
    image[kAdvance + 4] = 120;
    consistencyPass(image);
    EXPECT_EQ(image[kAdvance + 4], 95);
    EXPECT_EQ(image[kAdvance + 3], 29); // below the limit: untouched

    image[kAdvanceLimit] = 5;
    consistencyPass(image);
    EXPECT_EQ(bytesAt(image, kAdvance, 10), Bytes(10, 5));
    EXPECT_EQ(image[kAdvanceLimit], 10);

    // A limit above 125 caps with its own value first; the next pass caps at 125.
    image[kAdvanceLimit] = 200;
    put(image, kAdvance, Bytes(10, 180));
    consistencyPass(image);
    EXPECT_EQ(image[kAdvanceLimit], 125);
    EXPECT_EQ(image[kAdvance], 180);
    consistencyPass(image);
    EXPECT_EQ(image[kAdvance], 125);
}

TEST(ConsistencyPass, ChokeTimesAndCorrections)
{
    DeviceImage image = startImage();
    put(image, kChokeTimes, {0, 0, 0, 0});
    put(image, kChokeCorrections, {251, 255, 250, 0});
    consistencyPass(image);
    EXPECT_EQ(bytesAt(image, kChokeTimes, 4), (Bytes{0, 1, 2, 3}));
    EXPECT_EQ(bytesAt(image, kChokeCorrections, 4), (Bytes{250, 250, 250, 0}));

    put(image, kChokeTimes, {250, 250, 250, 250});
    consistencyPass(image);
    EXPECT_EQ(bytesAt(image, kChokeTimes, 4), (Bytes{247, 248, 249, 250}));

    put(image, kChokeTimes, {20, 10, 30, 30});
    consistencyPass(image);
    EXPECT_EQ(bytesAt(image, kChokeTimes, 4), (Bytes{20, 21, 30, 31}));
}

TEST(ConsistencyPass, SingleValuesAndMaps)
{
    DeviceImage image = startImage();
    image[kLimiter2] = 5;
    image[kPilotLight] = 255;
    image[kIntakeValve] = 9;
    image[kTpsClosed] = 251;
    image[kTpsOpen] = 255;
    image[kStartJet] = 51;
    image[kJetTp + 17] = 251;
    image[kJetTpi + 99] = 255;
    image[kJetIap] = 253;
    consistencyPass(image);
    EXPECT_EQ(image[kLimiter2], 10);
    EXPECT_EQ(image[kPilotLight], 250);
    EXPECT_EQ(image[kIntakeValve], 10);
    EXPECT_EQ(image[kTpsClosed], 250);
    EXPECT_EQ(image[kTpsOpen], 250);
    EXPECT_EQ(image[kStartJet], 50);
    EXPECT_EQ(image[kJetTp + 17], 250);
    EXPECT_EQ(image[kJetTpi + 99], 250);
    EXPECT_EQ(image[kJetIap], 250);
}

TEST(ConsistencyPass, FieldsWithoutARuleAreLeftAlone)
{
    DeviceImage image = startImage();
    image[kCooling] = 200;
    put(image, kNapPriv, Bytes(10, 0));
    image[kRpmPulses] = 255;
    image[kRpmCorrection] = 0;
    image[kTpsMode] = 9;
    put(image, kWaterTemp, {0, 255, 1, 2, 3});
    put(image, kTuning, {0, 255, 0, 255, 0});
    const DeviceImage before = image;
    consistencyPass(image);
    EXPECT_EQ(image, before);
}

TEST(ConsistencyPass, HeldWindowSettings)
{
    DeviceImage image = startImage();
    HeldSettings held{3, 11};
    consistencyPass(image, held);
    EXPECT_EQ(held.language, 1);
    EXPECT_EQ(held.comPort, 1);

    held = {2, 10};
    consistencyPass(image, held);
    EXPECT_EQ(held.language, 2);
    EXPECT_EQ(held.comPort, 10);

    held = {0, 0};
    consistencyPass(image, held);
    EXPECT_EQ(held.language, 0);
    EXPECT_EQ(held.comPort, 0);
}

// On any image the pass leaves rising axes within 300..20000 rpm and maps within 250; with an
// advance limit within 10..125 a second pass finds nothing to do.
TEST(ConsistencyPass, PropertiesOnRandomImages)
{
    std::mt19937 rng(20261208);
    for (int round = 0; round < 2000; ++round) {
        DeviceImage image = randomImage(rng);
        const std::uint8_t limit = image[kAdvanceLimit];
        consistencyPass(image);
        for (std::size_t axis : kAxes) {
            ASSERT_GE(image[axis], 3);
            ASSERT_LE(image[axis + 9], 200);
            for (std::size_t i = 1; i < kCurvePoints; ++i)
                ASSERT_GT(image[axis + i], image[axis + i - 1]) << "axis " << axis;
        }
        for (std::size_t map : {kJetTp, kJetTpi, kJetIap})
            for (std::uint8_t cell : image.run(map, kMapCells))
                ASSERT_LE(cell, 250);
        for (std::size_t k = 0; k < kChokePoints; ++k) {
            ASSERT_GE(image[kChokeTimes + k], k);
            ASSERT_LE(image[kChokeTimes + k], k + 247);
            if (k > 0) {
                ASSERT_GT(image[kChokeTimes + k], image[kChokeTimes + k - 1]);
            }
        }
        ASSERT_GE(image[kAdvanceLimit], 10);
        ASSERT_LE(image[kAdvanceLimit], 125);

        const DeviceImage once = image;
        consistencyPass(image);
        if (limit <= 125) {
            ASSERT_EQ(image, once) << "round " << round;
        }
    }
}
