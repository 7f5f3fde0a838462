#include "files/image_file.h"
#include "files/persistence.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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

std::string readText(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

TEST(Persistence, SavingPortsWritesSectionPortsAndLeavesTheRestAsItWas)
{
    test::TempFolder folder;
    const auto path = settingsIn(folder);
    const std::string before = "; kept by hand\n[FORM_HLAV]\nLeft=12\nUnknown = odd spacing\n\n"
                               "[PORTS]\nCOM2=/dev/ttyUSB1\nCOM4=/dev/ttyUSB4\n\n[Other]\nx=1\n";
    write(path, before);

    Persistence persistence(path);
    ASSERT_TRUE(persistence.savePorts({{"COM2", "/dev/serial/by-id/usb-FTDI-if00-port0"},
                                       {"COM4", ""},
                                       {"COM7", "/dev/ttyACM0"}}));
    // Replaced where it stood, cleared, added at the section's end before its blank line.
    EXPECT_EQ(readText(path),
              "; kept by hand\n[FORM_HLAV]\nLeft=12\nUnknown = odd spacing\n\n"
              "[PORTS]\nCOM2=/dev/serial/by-id/usb-FTDI-if00-port0\nCOM7=/dev/ttyACM0\n\n"
              "[Other]\nx=1\n");

    // The close sequence's write keeps them.
    WindowSettings window;
    DeviceImage image;
    persistence.load(window, image);
    window.left = 99;
    persistence.save(window, image);
    const SettingsFile saved = SettingsFile::load(path);
    EXPECT_EQ(saved.value("PORTS", "COM2"), "/dev/serial/by-id/usb-FTDI-if00-port0");
    EXPECT_EQ(saved.value("PORTS", "COM7"), "/dev/ttyACM0");
    EXPECT_FALSE(saved.value("PORTS", "COM4"));
    EXPECT_EQ(saved.value("Other", "x"), "1");
    EXPECT_EQ(saved.number("FORM_HLAV", "Left"), 99);
}

TEST(Persistence, SavingPortsIntoAFileThatWasNotThereMakesIt)
{
    test::TempFolder folder;
    const auto path = settingsIn(folder);
    Persistence persistence(path);
    ASSERT_TRUE(persistence.savePorts({{"COM1", "/dev/ttyUSB0"}, {"COM3", ""}}));
    EXPECT_EQ(readText(path), "[PORTS]\nCOM1=/dev/ttyUSB0\n");

    // A folder in the way of the file: not written, yet the names stay for the next save.
    test::TempFolder other;
    const auto blocked = settingsIn(other);
    std::filesystem::create_directories(blocked);
    Persistence stuck(blocked);
    EXPECT_FALSE(stuck.savePorts({{"COM1", "/dev/ttyUSB0"}}));
    EXPECT_EQ(stuck.settings().value("PORTS", "COM1"), "/dev/ttyUSB0");
}
