#include "model/fields.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <set>

using namespace velmora;

TEST(Codec, OffsetFieldsConvertBothWays)
{
    EXPECT_EQ(codec::kTpsOpen.toStored(4420), 192);
    EXPECT_EQ(codec::kTpsOpen.toStored(2500), 0);
    EXPECT_EQ(codec::kTpsOpen.toStored(4600), 210);
    EXPECT_EQ(codec::kTpsOpen.toShown(210), 4600);
    EXPECT_EQ(codec::kTpsOpen.toShown(192), 4420);
    EXPECT_EQ(codec::kTpsOpen.toShown(0), 2500);

    EXPECT_EQ(codec::kRpmCorrection.toStored(-60), 40);
    EXPECT_EQ(codec::kRpmCorrection.toStored(60), 160);
    EXPECT_EQ(codec::kRpmCorrection.toShown(40), -60);
    EXPECT_EQ(codec::kRpmCorrection.toShown(100), 0);

    EXPECT_EQ(codec::kChokeCorrection.toStored(350), 250);
    EXPECT_EQ(codec::kChokeCorrection.toStored(100), 0);
    EXPECT_EQ(codec::kChokeCorrection.toShown(250), 350);
}

TEST(Codec, DropsTheRemainderAndKeepsTheLowByte)
{
    EXPECT_EQ(codec::kRpm100.toStored(1234), 12);
    EXPECT_EQ(codec::kRpm100.toStored(1299), 12);
    EXPECT_EQ(codec::kAccelSize.toStored(2549), 84);
    EXPECT_EQ(codec::kMv5.toStored(204), 40);
    // 30000 rpm is 300 units: only its low 8 bits survive.
    EXPECT_EQ(codec::kRpm100.toStored(30000), 300 & 0xFF);
    // Open throttle below its 2500 mV origin wraps around, as the unit's byte arithmetic does.
    EXPECT_EQ(codec::kTpsOpen.toStored(2490), 255);
}

TEST(FieldTable, EveryParameterByteIsAFieldAConstantOrReservedExactlyOnce)
{
    std::array<int, layout::kImageSize> owners{};
    for (const FieldDef &d : fieldTable())
        for (std::size_t i = 0; i < d.count; ++i)
            ++owners[d.offset + i];
    for (const layout::Range &r : layout::kReserved)
        for (std::size_t i = 0; i < r.count; ++i)
            ++owners[r.first + i];
    for (std::size_t constant : {layout::kAdvanceLimit, layout::kModelByte110,
                                 layout::kModelByte125, layout::kModelByte126})
        ++owners[constant];
    for (std::size_t i = 0; i < layout::kCurvePoints; ++i)
        ++owners[layout::kModelTable + i];

    for (std::size_t offset = 0; offset < layout::kParameterStart; ++offset)
        EXPECT_EQ(owners[offset], 0) << "identity byte " << offset;
    for (std::size_t offset = layout::kParameterStart; offset < layout::kImageSize; ++offset)
        EXPECT_EQ(owners[offset], 1) << "parameter byte " << offset;

    std::size_t reserved = 0;
    for (const layout::Range &r : layout::kReserved)
        reserved += r.count;
    EXPECT_EQ(reserved, 76u);
}

TEST(FieldTable, NamedAccessGoesThroughTheCodec)
{
    DeviceImage image;
    setShownValue(image, Field::TpsOpen, 4420);
    EXPECT_EQ(image[layout::kTpsOpen], 192);
    setShownValue(image, Field::RpmAdv, 16000, 9);
    EXPECT_EQ(image[layout::kRpmAdv + 9], 160);
    setShownValue(image, Field::ChokeCorrections, 130, 2);
    EXPECT_EQ(image[layout::kChokeCorrections + 2], 30);
    EXPECT_EQ(shownValue(image, Field::ChokeCorrections, 2), 130);
    setShownValue(image, Field::JetIap, 77, 99);
    EXPECT_EQ(image[layout::kJetIap + 99], 77);

    EXPECT_THROW(setShownValue(image, Field::ChokeTimes, 1, 4), std::out_of_range);
    EXPECT_THROW(shownValue(image, Field::Limiter2, 1), std::out_of_range);
}

TEST(FieldTable, NamesAreUnique)
{
    std::set<std::string_view> names;
    std::set<Field> ids;
    for (const FieldDef &d : fieldTable()) {
        EXPECT_TRUE(names.insert(d.name).second) << d.name;
        EXPECT_TRUE(ids.insert(d.field).second) << d.name;
        EXPECT_EQ(&fieldDef(d.field), &d);
    }
}
