#include "files/window_settings.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace velmora::files;

TEST(WindowSettings, FifteenKeysInOrderWithTheirLiteralNames)
{
    SettingsFile file = SettingsFile::fromText("[PORTS]\nCOM1=/dev/ttyUSB0\n");
    WindowSettings s;
    s.left = 10;
    s.top = 20;
    s.comPort = 3;
    s.language = 2;
    s.file = "/home/me/a b.ign";
    s.iniDir = "/home/me/a b.ign";
    s.page = 4;
    s.tp23All = true;
    writeWindowSettings(file, s);
    EXPECT_EQ(file.text(),
              "[PORTS]\nCOM1=/dev/ttyUSB0\n\n[FORM_HLAV]\nLeft=10\nTop=20\nHeight=825\n"
              "Width=973\nComPort=3\nLanguage=2\nFile=/home/me/a b.ign\n"
              "IniDir=/home/me/a b.ign\nPageControl1->ActivePageIndex=4\n"
              "CheckBoxExtMonitor->Checked=0\nCheckBoxIgnAll->Checked=0\n"
              "CheckBoxJetTpsAll->Checked=0\nCheckBoxJetTpsAlli->Checked=1\n"
              "CheckBoxJetIapAll->Checked=0\nCheckBoxPrivAll->Checked=0\n");
    WindowSettings back;
    readWindowSettings(SettingsFile::fromText(file.text()), back);
    EXPECT_EQ(back.left, 10);
    EXPECT_EQ(back.comPort, 3);
    EXPECT_EQ(back.language, 2);
    EXPECT_EQ(back.file, s.file);
    EXPECT_EQ(back.page, 4);
    EXPECT_TRUE(back.tp23All);
    EXPECT_FALSE(back.servoAll);
}

TEST(WindowSettings, MissingOrBadValuesKeepTheDefaults)
{
    WindowSettings s;
    readWindowSettings(SettingsFile::fromText("[FORM_HLAV]\r\nLeft=12x\r\nComPort=268\r\n"
                                              "Language=7\r\nHeight=\r\n"
                                              "CheckBoxPrivAll->Checked=5\r\n"),
                       s);
    EXPECT_FALSE(s.left.has_value());
    EXPECT_EQ(s.height, 825);
    EXPECT_EQ(s.comPort, 12); // low 8 bits; the consistency pass makes it COM1
    EXPECT_EQ(s.language, 7);
    EXPECT_TRUE(s.servoAll);
    EXPECT_FALSE(s.top.has_value());
}

TEST(WindowSettings, MaximizedFollowsTheFifteenKeysOnlyWhileItIsOne)
{
    const std::string fifteen =
        "[FORM_HLAV]\nLeft=0\nTop=0\nHeight=825\nWidth=973\nComPort=1\nLanguage=0\nFile=\n"
        "IniDir=\nPageControl1->ActivePageIndex=0\nCheckBoxExtMonitor->Checked=0\n"
        "CheckBoxIgnAll->Checked=0\nCheckBoxJetTpsAll->Checked=0\n"
        "CheckBoxJetTpsAlli->Checked=0\nCheckBoxJetIapAll->Checked=0\n"
        "CheckBoxPrivAll->Checked=0\n";
    WindowSettings s;
    s.left = 0;
    s.top = 0;
    // A hand-edited file may hold the key anywhere in the section.
    SettingsFile file = SettingsFile::fromText("[FORM_HLAV]\nmaximized=1\n[PORTS]\nCOM1=/dev/x\n");
    WindowSettings read;
    readWindowSettings(file, read);
    EXPECT_TRUE(read.maximized);

    s.maximized = true;
    writeWindowSettings(file, s);
    EXPECT_EQ(file.text(), fifteen + "Maximized=1\n[PORTS]\nCOM1=/dev/x\n");

    s.maximized = false;
    writeWindowSettings(file, s);
    EXPECT_EQ(file.text(), fifteen + "[PORTS]\nCOM1=/dev/x\n");
    WindowSettings again;
    readWindowSettings(file, again);
    EXPECT_FALSE(again.maximized);

    for (const char *value : {"0", "", "yes"}) {
        WindowSettings other;
        readWindowSettings(SettingsFile::fromText(std::string("[FORM_HLAV]\nMaximized=") + value),
                           other);
        EXPECT_FALSE(other.maximized) << value;
    }
}

TEST(WindowSettings, HistorySwitchesAreKeptOnlyWhileTheyDifferFromTheirDefaults)
{
    WindowSettings s;
    EXPECT_TRUE(s.keepHistory);
    EXPECT_FALSE(s.backupBeforeProgram);
    SettingsFile file = SettingsFile::fromText("[FORM_HLAV]\nBackupBeforeProgramming=1\n"
                                               "Unknown=kept\n");
    WindowSettings read;
    readWindowSettings(file, read);
    EXPECT_TRUE(read.backupBeforeProgram);
    EXPECT_TRUE(read.keepHistory);

    s.keepHistory = false;
    s.backupBeforeProgram = true;
    s.maximized = true;
    writeWindowSettings(file, s);
    const std::string text = file.text();
    EXPECT_EQ(text.substr(text.find("CheckBoxPrivAll")),
              "CheckBoxPrivAll->Checked=0\nMaximized=1\nKeepUnitHistory=0\n"
              "BackupBeforeProgramming=1\n");
    EXPECT_NE(text.find("Unknown=kept\n"), std::string::npos);
    WindowSettings back;
    readWindowSettings(SettingsFile::fromText(text), back);
    EXPECT_FALSE(back.keepHistory);
    EXPECT_TRUE(back.backupBeforeProgram);

    // Back to the defaults: the keys go, and reading gives the defaults again.
    writeWindowSettings(file, WindowSettings{});
    EXPECT_EQ(file.text().find("KeepUnitHistory"), std::string::npos);
    EXPECT_EQ(file.text().find("BackupBeforeProgramming"), std::string::npos);
    WindowSettings defaults;
    defaults.keepHistory = false;
    defaults.backupBeforeProgram = true;
    readWindowSettings(SettingsFile::fromText("[FORM_HLAV]\nKeepUnitHistory=1\n"
                                              "BackupBeforeProgramming=0\n"),
                       defaults);
    EXPECT_TRUE(defaults.keepHistory);
    EXPECT_FALSE(defaults.backupBeforeProgram);
}

TEST(WindowSettings, TestSwitchNeedsTheExactWord)
{
    velmora::test::TempFolder folder;
    const auto path = testSwitchPath(folder.path() / "Velmora05.ini");
    EXPECT_FALSE(readTestSwitch(path)); // no file
    std::ofstream(path) << "some words\nTEST_ENABLE  more";
    EXPECT_TRUE(readTestSwitch(path));
    std::ofstream(path) << "test_enable TEST_ENABLED xTEST_ENABLE";
    EXPECT_FALSE(readTestSwitch(path));
    EXPECT_EQ(parameterImagePath(folder.path() / "Velmora05.ini").filename(), "_Velmora05.ini");
}
