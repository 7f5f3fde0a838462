#include "model/identity.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace velmora;
namespace id = velmora::layout::id;

namespace {
DeviceImage identity(const char *name, std::uint8_t version)
{
    DeviceImage image;
    for (std::size_t i = 0; i < 3; ++i)
        image[id::kName + i] = static_cast<std::uint8_t>(name[i]);
    image[id::kVersion] = version;
    return image;
}
} // namespace

TEST(Identity, VersionTextIsTheNameAndTwoDigits)
{
    EXPECT_EQ(DecodeUnitIdentity(identity("ABC", 7)).version, "ABC07");
    EXPECT_EQ(DecodeUnitIdentity(identity("ABC", 25)).version, "ABC25");
    EXPECT_EQ(DecodeUnitIdentity(identity("XYZ", 0)).version, "XYZ00");
}

TEST(Identity, LongNameReplacesTheVersionText)
{
    DeviceImage image = identity("ABC", 7);
    const char *longName = "Velmora race edition";
    std::memcpy(&image[id::kLongName], longName, std::strlen(longName));
    EXPECT_EQ(DecodeUnitIdentity(image).version, "Velmora race edition");

    // A long name without a zero byte stops after 30 characters.
    for (std::size_t i = 0; i < id::kLongNameSize + 5; ++i)
        image[id::kLongName + i] = 'x';
    EXPECT_EQ(DecodeUnitIdentity(image).version, std::string(30, 'x'));
}

TEST(Identity, DateAndTimeTexts)
{
    DeviceImage image;
    image[id::kDay] = 5;
    image[id::kMonth] = 13;
    image[id::kYear] = 2;
    image[id::kHour] = 9;
    image[id::kMinute] = 7;
    UnitIdentity texts = DecodeUnitIdentity(image);
    EXPECT_EQ(texts.date, " 5. 2.2002");
    EXPECT_EQ(texts.time, "09:07");

    image[id::kDay] = 25;
    image[id::kMonth] = 0;
    image[id::kYear] = 14;
    texts = DecodeUnitIdentity(image);
    EXPECT_EQ(texts.date, "25.00.2014");
    EXPECT_EQ(texts.date.size(), 10u);
}

TEST(Identity, MonthCodesAreTheSumOfTheNameLowByte)
{
    const std::pair<const char *, int> expected[] = {
        {"Jan", 25}, {"Feb", 13}, {"Mar", 32}, {"Apr", 35}, {"May", 39}, {"Jun", 45},
        {"Jul", 43}, {"Aug", 29}, {"Sep", 40}, {"Oct", 38}, {"Nov", 51}, {"Dec", 12}};
    int month = 1;
    for (const auto &[name, code] : expected) {
        EXPECT_EQ(monthCode(name), code) << name;
        char text[3];
        std::snprintf(text, sizeof text, "%2d", month++);
        EXPECT_EQ(monthText(static_cast<std::uint8_t>(code)), text) << name;
    }
    EXPECT_EQ(monthText(0), "00");
    EXPECT_EQ(monthText(255), "00");
}

TEST(Identity, MarksAndModelMap)
{
    DeviceImage image;
    EXPECT_FALSE(isCompatible(image));
    EXPECT_FALSE(readPermitted(image));
    image[id::kCompatibilityMark] = '+';
    image[id::kReadPermission] = 1;
    EXPECT_TRUE(isCompatible(image));
    EXPECT_TRUE(readPermitted(image));
    image[id::kReadPermission] = 2;
    EXPECT_FALSE(readPermitted(image));

    image[id::kModelMap] = 1 << 3;
    for (std::uint8_t m = 0; m < 8; ++m)
        EXPECT_EQ(modelAccepted(image, m), m == 3) << int(m);

    // Models from 8 on look into the following bytes of the map.
    image[id::kModelMap + 1] = 1 << 2;
    EXPECT_TRUE(modelAccepted(image, 10));
    EXPECT_FALSE(modelAccepted(image, 11));
    EXPECT_FALSE(modelAccepted(image, 255));
}
