#include "files/settings_file.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

using velmora::files::SettingsFile;
using velmora::test::TempFolder;
namespace fs = std::filesystem;

namespace {

std::string readBytes(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Sets or clears an environment variable for one test and restores it afterwards.
class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char *name) : m_name(name)
    {
        if (const char *v = std::getenv(name))
            m_saved = v;
    }
    ~EnvironmentVariable()
    {
        if (m_saved)
            ::setenv(m_name, m_saved->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    EnvironmentVariable(const EnvironmentVariable &) = delete;
    EnvironmentVariable &operator=(const EnvironmentVariable &) = delete;

    void set(const char *value) { ::setenv(m_name, value, 1); }
    void unset() { ::unsetenv(m_name); }

private:
    const char *m_name;
    std::optional<std::string> m_saved;
};

// What the program writes, plus what other tools leave in the same file.
const std::string kWritten = "; kept by hand\n"
                             "[Form1]\n"
                             "PageControl1->ActivePageIndex=3\n"
                             "CheckBoxExtMonitor->Checked=1\n"
                             "  Edit1.Text = two words  \n"
                             "\n"
                             "[Foreign]\n"
                             "zeta=1\n"
                             "alpha=2\n"
                             "a line without an equals sign\n"
                             "[PORTS]\n"
                             "COM1=/dev/ttyUSB0\n";

} // namespace

TEST(SettingsFileRoundTrip, UnchangedFileIsWrittenBackByteForByte)
{
    TempFolder folder;
    writeBytes(folder.path() / "in.ini", kWritten);
    const SettingsFile file = SettingsFile::load(folder.path() / "in.ini");

    EXPECT_EQ(file.value("Form1", "PageControl1->ActivePageIndex"), "3");
    EXPECT_EQ(file.value("Form1", "CheckBoxExtMonitor->Checked"), "1");
    EXPECT_EQ(file.value("Form1", "Edit1.Text"), "two words");
    EXPECT_EQ(file.value("Foreign", "alpha"), "2");

    ASSERT_TRUE(file.save(folder.path() / "out.ini"));
    EXPECT_EQ(readBytes(folder.path() / "out.ini"), kWritten);
}

TEST(SettingsFileRoundTrip, ChangesLeaveEverythingElseInPlace)
{
    SettingsFile file = SettingsFile::fromText(kWritten);
    // Replaced where it stands, keeping the key's spelling as read.
    file.setValue("form1", "pagecontrol1->activepageindex", "5");
    // Added to its section, before the blank line that ends it.
    file.setValue("FORM1", "Edit2.Text", "x");
    // Added as a new section, set off by a blank line.
    file.setValue("Monitor", "Rate", "10");
    EXPECT_EQ(file.text(), "; kept by hand\n"
                           "[Form1]\n"
                           "PageControl1->ActivePageIndex=5\n"
                           "CheckBoxExtMonitor->Checked=1\n"
                           "  Edit1.Text = two words  \n"
                           "Edit2.Text=x\n"
                           "\n"
                           "[Foreign]\n"
                           "zeta=1\n"
                           "alpha=2\n"
                           "a line without an equals sign\n"
                           "[PORTS]\n"
                           "COM1=/dev/ttyUSB0\n"
                           "\n"
                           "[Monitor]\n"
                           "Rate=10\n");

    SettingsFile empty;
    empty.setValue("PORTS", "COM3", "/dev/ttyUSB1");
    EXPECT_EQ(empty.text(), "[PORTS]\nCOM3=/dev/ttyUSB1\n");
}

TEST(SettingsFileRoundTrip, WindowsLineEndsAreReadAndWrittenAsLf)
{
    const SettingsFile file =
        SettingsFile::fromText("[Form1]\r\nCheckBoxExtMonitor->Checked=1\r\nTop=120\r\n");
    EXPECT_EQ(file.value("Form1", "CheckBoxExtMonitor->Checked"), "1");
    EXPECT_EQ(file.number("Form1", "Top"), 120);
    EXPECT_EQ(file.text(), "[Form1]\nCheckBoxExtMonitor->Checked=1\nTop=120\n");
}

TEST(SettingsFileRoundTrip, ByteOrderMarkAndLinesBeforeTheFirstSectionAreKept)
{
    const std::string text = "\xEF\xBB\xBFstray=1\n[A]\nk=v";
    const SettingsFile file = SettingsFile::fromText(text);
    EXPECT_EQ(file.value("A", "k"), "v");
    EXPECT_EQ(file.value("", "stray"), std::nullopt);
    EXPECT_EQ(file.text(), text + "\n");
}

TEST(SettingsFileRoundTrip, MalformedLinesAreKeptButNeverMatch)
{
    constexpr char kRaw[] = "[Open\n=no key\n[A]\n\0\x01\xFF=x\n[]\n;k=comment\n";
    const std::string text(kRaw, sizeof kRaw - 1);
    const SettingsFile file = SettingsFile::fromText(text);
    EXPECT_EQ(file.value("A", ""), std::nullopt);
    EXPECT_EQ(file.value("A", ";k"), std::nullopt);
    EXPECT_EQ(file.value("", ";k"), std::nullopt);
    EXPECT_EQ(file.value("Open", "k"), std::nullopt);
    EXPECT_EQ(file.value("A", std::string("\0\x01\xFF", 3)), "x");
    EXPECT_EQ(file.text(), text);
}

TEST(SettingsFileLookup, NamesIgnoreCaseAndTheFirstOfEqualNamesWins)
{
    const SettingsFile file = SettingsFile::fromText("[Ports]\nCom1=a\nCOM1=b\n[PORTS]\ncom2=c\n");
    EXPECT_EQ(file.value("PORTS", "com1"), "a");
    // Windows reads only the first of two equal sections.
    EXPECT_EQ(file.value("ports", "COM2"), std::nullopt);
    EXPECT_EQ(file.value("Other", "COM1"), std::nullopt);
}

TEST(SettingsFileLookup, OnlyWholeDecimalNumbersAreNumbers)
{
    const SettingsFile file = SettingsFile::fromText("[N]\n"
                                                     "plain=42\n"
                                                     "blanks= \t-7 \n"
                                                     "plus=+8\n"
                                                     "suffix=12x\n"
                                                     "empty=\n"
                                                     "signs=+-1\n"
                                                     "hex=0x10\n"
                                                     "two=1 2\n"
                                                     "huge=99999999999999999999999\n"
                                                     "text=abc\n");
    EXPECT_EQ(file.number("N", "plain"), 42);
    EXPECT_EQ(file.number("N", "blanks"), -7);
    EXPECT_EQ(file.number("N", "plus"), 8);
    for (const char *key : {"suffix", "empty", "signs", "hex", "two", "huge", "text", "absent"})
        EXPECT_EQ(file.number("N", key), std::nullopt) << key;
    EXPECT_EQ(file.value("N", "empty"), "");
}

TEST(SettingsFileSetValue, NamesThatWouldReadBackDifferentlyAreIgnored)
{
    SettingsFile file = SettingsFile::fromText("[A]\nx=1\n");
    file.setValue("A", "", "v");
    file.setValue("A", "a=b", "v");
    file.setValue("A", "two\nlines", "v");
    file.setValue("A", ";note", "v");
    file.setValue("", "k", "v");
    file.setValue("B]", "k", "v");
    file.setValue("B\r\n", "k", "v");
    EXPECT_EQ(file.text(), "[A]\nx=1\n");
}

TEST(SettingsFileSetValue, LineBreaksInAValueCannotAddLines)
{
    SettingsFile file;
    file.setValue("A", "x", "1\n[B]\r\ny=2");
    EXPECT_EQ(file.value("A", "x"), "1 [B]  y=2");
    EXPECT_EQ(file.value("B", "y"), std::nullopt);
    EXPECT_EQ(SettingsFile::fromText(file.text()).value("A", "x"), "1 [B]  y=2");
}

TEST(SettingsFileRemove, TakesOutEveryLineOfTheKeyInItsSectionOnly)
{
    const std::string before = "; head\n[A]\nkeep=1\nGone=1\n; gone=comment\n\ngone = 2\n"
                               "[B]\ngone=3\n";
    SettingsFile file = SettingsFile::fromText(before);
    file.remove("a", "gone");
    EXPECT_EQ(file.value("A", "gone"), std::nullopt); // the later duplicate does not show
    EXPECT_EQ(file.text(), "; head\n[A]\nkeep=1\n; gone=comment\n\n[B]\ngone=3\n");

    // An empty key would match the comments and blanks; a missing section changes nothing.
    const std::string after = file.text();
    file.remove("A", "");
    file.remove("C", "keep");
    EXPECT_EQ(file.text(), after);
}

TEST(SettingsFileDisk, MissingOrUnreadableFilesLoadEmpty)
{
    TempFolder folder;
    EXPECT_EQ(SettingsFile::load(folder.path() / "absent.ini").text(), "");
    EXPECT_EQ(SettingsFile::load(folder.path()).text(), "");
}

TEST(SettingsFileDisk, SaveCreatesNestedFolders)
{
    TempFolder folder;
    const fs::path path = folder.path() / "one" / "two" / "Velmora05.ini";
    SettingsFile file;
    file.setValue("Form1", "PageControl1->ActivePageIndex", "2");
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(SettingsFile::load(path).number("Form1", "PageControl1->ActivePageIndex"), 2);
}

TEST(SettingsFileDisk, SaveReportsWhatItCannotWrite)
{
    TempFolder folder;
    writeBytes(folder.path() / "plain", "x");
    const SettingsFile file = SettingsFile::fromText("[A]\nx=1\n");
    EXPECT_FALSE(file.save(folder.path() / "plain" / "below.ini"));
    EXPECT_FALSE(file.save(folder.path()));
}

TEST(DefaultSettingsPath, FollowsXdgConfigHomeThenHome)
{
    EnvironmentVariable config("XDG_CONFIG_HOME");
    EnvironmentVariable home("HOME");

    config.set("/tmp/config");
    home.set("/home/rider");
    EXPECT_EQ(velmora::files::defaultSettingsPath(), fs::path("/tmp/config/velmora/Velmora05.ini"));

    config.set("");
    EXPECT_EQ(velmora::files::defaultSettingsPath(),
              fs::path("/home/rider/.config/velmora/Velmora05.ini"));
    config.unset();
    EXPECT_EQ(velmora::files::defaultSettingsPath(),
              fs::path("/home/rider/.config/velmora/Velmora05.ini"));

    home.unset();
    EXPECT_EQ(velmora::files::defaultSettingsPath(), fs::current_path() / "Velmora05.ini");
}
