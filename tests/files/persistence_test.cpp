#include "files/image_file.h"
#include "files/persistence.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace velmora;
using namespace velmora::files;

namespace {

std::filesystem::path settingsIn(const test::TempFolder &folder)
{
    return folder.path() / "velmora" / "Velmora05.ini";
}

void write(const std::filesystem::path &path, const std::string &text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

} // namespace

TEST(Persistence, WhatOneRunSavesTheNextFindsWithForeignKeysKept)
{
    test::TempFolder folder;
    const auto path = settingsIn(folder);
    write(path, "[PORTS]\nCOM2=/dev/ttyUSB1\n");

    Persistence first(path);
    first.setLastPath("/maps/race.ign");
    WindowSettings shown;
    shown.left = 30;
    shown.top = 40;
    shown.page = 5;
    shown.servoAll = true;
    shown.iniDir = "/ignored/by/the/remembered/path";
    DeviceImage image;
    image[7] = 0x5a;
    image[layout::kImageSize - 1] = 0xa5;
    first.save(shown, image);

    Persistence second(path);
    EXPECT_EQ(second.settings().value("PORTS", "COM2"), "/dev/ttyUSB1");
    WindowSettings read;
    DeviceImage back;
    second.load(read, back);
    EXPECT_EQ(second.lastPath(), "/maps/race.ign");
    EXPECT_EQ(read.iniDir, "/maps/race.ign");
    EXPECT_EQ(read.left, 30);
    EXPECT_EQ(read.top, 40);
    EXPECT_EQ(read.page, 5);
    EXPECT_TRUE(read.servoAll);
    EXPECT_FALSE(read.ignitionAll);
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        ASSERT_EQ(back[i], image[i]) << i;
}

TEST(Persistence, MissingFilesLeaveWhatTheWindowHolds)
{
    test::TempFolder folder;
    Persistence persistence(settingsIn(folder));
    persistence.setLastPath("/before/start.ign");
    WindowSettings window;
    window.left = 11;
    window.comPort = 4;
    window.language = 2;
    DeviceImage image;
    image[3] = 0x33;
    persistence.load(window, image);
    EXPECT_EQ(window.left, 11);
    EXPECT_EQ(window.comPort, 4);
    EXPECT_EQ(window.language, 2);
    EXPECT_EQ(persistence.lastPath(), "/before/start.ign");
    EXPECT_EQ(image[3], 0x33);
    EXPECT_FALSE(persistence.testSwitch());
    EXPECT_FALSE(std::filesystem::exists(settingsIn(folder))); // loading writes nothing
}

TEST(Persistence, TestSwitchIsReadBesideTheSettingsFile)
{
    test::TempFolder folder;
    const auto path = settingsIn(folder);
    write(testSwitchPath(path), "TEST_ENABLE");
    EXPECT_TRUE(Persistence(path).testSwitch());
    write(testSwitchPath(path), "TEST_DISABLE");
    EXPECT_FALSE(Persistence(path).testSwitch());
    write(testSwitchPath(path), "TEST_ENABLE");
    EXPECT_FALSE(Persistence(folder.path() / "elsewhere" / "Velmora05.ini").testSwitch());
}
