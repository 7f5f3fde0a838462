#include "files/image_file.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>

using namespace velmora;
using velmora::test::TempFolder;

namespace {

DeviceImage filled(std::uint8_t value)
{
    DeviceImage image;
    image.bytes().fill(value);
    return image;
}

std::string numbers(std::size_t count, unsigned first)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += std::to_string(first + i) + ' ';
    return text;
}

} // namespace

TEST(ImageText, LayoutIsTenRightAlignedValuesPerLine)
{
    DeviceImage image;
    const std::uint8_t first[] = {0, 1, 22, 255, 100, 7, 10, 99, 128, 5};
    std::copy(std::begin(first), std::end(first), image.bytes().begin());
    image[599] = 42;

    const std::string text = files::imageText(image);
    EXPECT_EQ(text.substr(0, 61), "    0     1    22   255   100     7    10    99   128     5 \n");
    EXPECT_EQ(text.size(), 60u * 61u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 60);
    EXPECT_EQ(text.substr(text.size() - 7), "   42 \n");
}

TEST(ImageText, RandomImageSurvivesTheFileRoundTrip)
{
    TempFolder folder;
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> byte(0, 255);
    DeviceImage image;
    for (auto &b : image.bytes())
        b = static_cast<std::uint8_t>(byte(rng));

    ASSERT_TRUE(files::saveImageFile(folder.path() / "bike.txt", image));
    DeviceImage loaded = filled(0x5A);
    EXPECT_EQ(files::loadImageFile(folder.path() / "bike.txt", loaded), 600u);
    EXPECT_EQ(loaded, image);
}

TEST(ImageText, ShortTextSetsOnlyTheLeadingBytes)
{
    DeviceImage image = filled(0xAA);
    EXPECT_EQ(files::readImageText(numbers(300, 0), image), 300u);
    for (std::size_t i = 0; i < 300; ++i)
        ASSERT_EQ(image[i], static_cast<std::uint8_t>(i)) << i;
    for (std::size_t i = 300; i < 600; ++i)
        ASSERT_EQ(image[i], 0xAA) << i;

    // Any white space separates, and what follows the 600th number is never looked at.
    EXPECT_EQ(files::readImageText("\t7\r\n8\v9\f" + numbers(597, 10) + "oops 77", image), 600u);
    EXPECT_EQ(image[2], 9);
    EXPECT_EQ(image[599], static_cast<std::uint8_t>(606));
}

TEST(ImageText, FirstWordThatIsNoNumberStopsReading)
{
    DeviceImage image = filled(0xAA);
    EXPECT_EQ(files::readImageText("1 2 x 4", image), 2u);
    EXPECT_EQ(image[1], 2);
    EXPECT_EQ(image[2], 0xAA);
    EXPECT_EQ(image[3], 0xAA);

    image = filled(0xAA);
    EXPECT_EQ(files::readImageText("5 12x 6", image), 1u);
    EXPECT_EQ(image[1], 0xAA);

    image = filled(0xAA);
    EXPECT_EQ(files::readImageText("-5 6", image), 0u);
    EXPECT_EQ(files::readImageText("+5 6", image), 0u);
    EXPECT_EQ(files::readImageText("3.5", image), 0u);
    EXPECT_EQ(image, filled(0xAA));
}

TEST(ImageText, LargeNumbersKeepTheirLowEightBits)
{
    DeviceImage image;
    // 2^32 + 1 and 2^64 + 255 would overflow a 32- or 64-bit reader; 10^n - 1 is 255 modulo
    // 256 from n = 8 on.
    const std::string text =
        "256 511 4294967297 18446744073709551871 " + std::string(100000, '9') + " 0300";
    EXPECT_EQ(files::readImageText(text, image), 6u);
    EXPECT_EQ(image[0], 0);
    EXPECT_EQ(image[1], 255);
    EXPECT_EQ(image[2], 1);
    EXPECT_EQ(image[3], 255);
    EXPECT_EQ(image[4], 255);
    EXPECT_EQ(image[5], 44);
}

TEST(ImageText, EmptyTextReadsNothing)
{
    DeviceImage image = filled(3);
    EXPECT_EQ(files::readImageText("", image), 0u);
    EXPECT_EQ(files::readImageText(" \n\r\n\t", image), 0u);
    EXPECT_EQ(image, filled(3));
}

TEST(ImageFile, UnreadableAndUnwritablePaths)
{
    TempFolder folder;
    DeviceImage image = filled(9);
    EXPECT_EQ(files::loadImageFile(folder.path() / "absent.txt", image), std::nullopt);
    EXPECT_EQ(files::loadImageFile(folder.path(), image), std::nullopt);
    EXPECT_EQ(image, filled(9));
    EXPECT_FALSE(files::saveImageFile(folder.path() / "no" / "such" / "folder.txt", image));
    EXPECT_FALSE(files::saveImageFile(folder.path(), image));
}

TEST(ImageFile, TruncatedFileWithWindowsLineEndsLoadsWhatItHas)
{
    TempFolder folder;
    std::ofstream(folder.path() / "short.txt", std::ios::binary) << "   10    20 \r\n   30";
    DeviceImage image = filled(1);
    EXPECT_EQ(files::loadImageFile(folder.path() / "short.txt", image), 3u);
    EXPECT_EQ(image[2], 30);
    EXPECT_EQ(image[3], 1);
}
