#include "sim/block_store.h"
#include "sim/identity_block.h"

#include "model/identity.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

TEST(IdentityBlock, DefaultDescribesAnAcceptedUnit)
{
    DeviceImage image;
    IdentityBlock{}.writeTo(image);

    const UnitIdentity shown = DecodeUnitIdentity(image);
    EXPECT_EQ(shown.version, "VSU07");
    EXPECT_EQ(shown.date, "14. 3.2024");
    EXPECT_EQ(shown.time, "09:30");
    EXPECT_TRUE(isCompatible(image));
    EXPECT_TRUE(readPermitted(image));
    for (std::uint8_t m = 0; m < kModelCount; ++m)
        EXPECT_TRUE(modelAccepted(image, m)) << int(m);
    EXPECT_FALSE(modelAccepted(image, kModelCount));
    EXPECT_EQ(image[layout::id::kLongName], 0) << "a long name would hide the short one";
}

TEST(IdentityBlock, MonthCodesMatchTheUnitTable)
{
    const std::array<std::uint8_t, 12> expected{25, 13, 32, 35, 39, 45, 43, 29, 40, 38, 51, 12};
    for (unsigned m = 1; m <= 12; ++m)
        EXPECT_EQ(monthCodeOf(m), expected[m - 1]) << m;
    EXPECT_EQ(monthCodeOf(0), 0);
    EXPECT_EQ(monthCodeOf(13), 0);
}

TEST(IdentityBlock, ShortNameIsPaddedAndLongNameCutAndCleared)
{
    IdentityBlock id;
    id.name = "AB";
    id.modelMap.fill(0xFF);
    id.longName = std::string(40, 'x');
    DeviceImage image;
    id.writeTo(image);
    EXPECT_EQ(image[layout::id::kName + 2], ' ') << "the version must still follow 3 characters";
    EXPECT_EQ(DecodeUnitIdentity(image).version, std::string(layout::id::kLongNameSize, 'x'));
    EXPECT_EQ(image[layout::id::kLongName - 1], 0xFF) << "map bytes before the name stay";
    EXPECT_EQ(image[layout::id::kLongName + layout::id::kLongNameSize], 0);

    id.longName = "Short";
    id.writeTo(image);
    EXPECT_EQ(DecodeUnitIdentity(image).version, "Short");
}

TEST(BlockStore, DefaultIsAConsistentModelZeroImageThatTakesParameterBlocksOnly)
{
    BlockStore store;
    const DeviceImage before = store.image();
    EXPECT_EQ(before.bike(), 0);
    DeviceImage passed = before;
    consistencyPass(passed);
    EXPECT_EQ(passed, before) << "the unit must not hold values the PC would clamp";
    EXPECT_NE(before[layout::kJetTp], 0) << "defaults were written";

    std::array<std::uint8_t, layout::kBlockSize> data;
    data.fill(0xA7);
    EXPECT_FALSE(store.store(0, data));
    EXPECT_FALSE(store.store(layout::kBlockCount, data));
    EXPECT_FALSE(store.store(1, std::span<const std::uint8_t>(data).first(99)));
    EXPECT_EQ(store.image(), before);
    EXPECT_TRUE(store.store(5, data));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), store.block(5).begin()));
}

} // namespace
} // namespace velmora::sim
