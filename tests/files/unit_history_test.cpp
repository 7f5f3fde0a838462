#include "files/unit_history.h"

#include "files/image_file.h"
#include "files/parameter_file.h"
#include "model/identity.h"

#include "file_size_limit.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace velmora;
using files::HistoryKind;
using files::UnitHistory;
using velmora::test::TempFolder;
namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const char *value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
        ::tzset();
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
        ::tzset();
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

// A unit "KVX07" programmed on 5 Feb 2026 at 13:07, with a parameter set that differs per seed.
DeviceImage unitImage(std::uint8_t seed)
{
    DeviceImage image;
    using namespace layout::id;
    image[kName] = 'K';
    image[kName + 1] = 'V';
    image[kName + 2] = 'X';
    image[kVersion] = 7;
    image[kDay] = 5;
    image[kMonth] = monthCode("Feb");
    image[kYear] = 26;
    image[kHour] = 13;
    image[kMinute] = 7;
    for (std::size_t i = layout::kParameterStart; i < layout::kImageSize; ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return image;
}

// 2026-03-01 10:20:30 UTC.
Clock::time_point utcTime(int secondsLater = 0)
{
    return Clock::from_time_t(1772360430) + std::chrono::seconds(secondsLater);
}

std::string contents(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeText(const fs::path &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::size_t fileCount(const fs::path &folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

} // namespace

TEST(UnitHistory, StemNamesTimeInLocalTimeKindAndUnit)
{
    // Three hours east of Greenwich, with no daylight saving: 10:20:30 UTC is 13:20:30 here.
    const ScopedEnv zone("TZ", "XST-3");
    const DeviceImage image = unitImage(0);
    EXPECT_EQ(files::historyStem(HistoryKind::Read, image, utcTime()),
              "20260301-132030-read-KVX07-2026-02-05");
    EXPECT_EQ(files::historyStem(HistoryKind::Program, image, utcTime(8 * 3600)),
              "20260301-212030-program-KVX07-2026-02-05");
    // Past midnight local time the date moves on although it is still 1 March in UTC.
    EXPECT_EQ(files::historyStem(HistoryKind::Backup, image, utcTime(11 * 3600)),
              "20260302-002030-backup-KVX07-2026-02-05");
}

TEST(UnitHistory, StemKeepsOnlyPortableCharacters)
{
    const ScopedEnv zone("TZ", "UTC0");
    DeviceImage image = unitImage(0);
    using namespace layout::id;
    image[kName] = '/';
    image[kName + 1] = 0xE9; // a Latin-1 letter
    image[kName + 2] = 'a';
    image[kVersion] = 143; // only two digits are kept
    image[kMonth] = 0;     // no month
    EXPECT_EQ(files::historyStem(HistoryKind::Read, image, utcTime()),
              "20260301-102030-read-a43-2026-00-05");
}

TEST(UnitHistory, IdentityTextIsWhatTheWindowShows)
{
    DeviceImage image = unitImage(0);
    EXPECT_EQ(files::identityText(image), "KVX07  5. 2.2026 13:07");
    // A long name stands for the short one and ends at its first zero byte.
    const std::string name = "LONG UNIT";
    for (std::size_t i = 0; i < name.size(); ++i)
        image[layout::id::kLongName + i] = static_cast<std::uint8_t>(name[i]);
    EXPECT_EQ(files::identityText(image), "LONG UNIT  5. 2.2026 13:07");
    EXPECT_EQ(files::identityText(UnitIdentity{}), ""); // nothing has arrived yet
}

TEST(UnitHistory, RecordWritesParameterFileAndWholeImage)
{
    const ScopedEnv zone("TZ", "UTC0");
    TempFolder temp;
    const UnitHistory history(temp.path() / "new" / "history"); // created on first use
    const DeviceImage image = unitImage(3);

    std::string error = "untouched";
    const auto entry = history.record(HistoryKind::Read, image, utcTime(), &error);
    ASSERT_TRUE(entry);
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(entry->kind, HistoryKind::Read);
    EXPECT_EQ(entry->identity, "KVX07  5. 2.2026 13:07");
    EXPECT_EQ(entry->time, utcTime());
    EXPECT_EQ(entry->parameterFile,
              temp.path() / "new" / "history" / "20260301-102030-read-KVX07-2026-02-05.ign");
    EXPECT_EQ(entry->imageFile.filename(), "20260301-102030-read-KVX07-2026-02-05.img");

    // The parameter file is exactly the one a save writes, with EXT_MON 0.
    EXPECT_EQ(contents(entry->parameterFile), files::writeParameterText(image, false));
    // The image file carries all 600 bytes, identity block included.
    DeviceImage loaded;
    EXPECT_EQ(files::loadImageFile(entry->imageFile, loaded), 600u);
    EXPECT_EQ(loaded, image);
    EXPECT_EQ(fileCount(history.folder()), 2u); // no temporary file left behind
}

TEST(UnitHistory, TakenStemGetsTheNextSuffix)
{
    const ScopedEnv zone("TZ", "UTC0");
    TempFolder temp;
    const UnitHistory history(temp.path());
    const std::string base = "20260301-102030-program-KVX07-2026-02-05";
    // A parameter file left alone takes its stem too.
    writeText(temp.path() / (base + "-2.ign"), "somebody's");

    const auto first = history.record(HistoryKind::Program, unitImage(1), utcTime());
    const auto second = history.record(HistoryKind::Program, unitImage(2), utcTime());
    const auto third = history.record(HistoryKind::Program, unitImage(3), utcTime());
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->imageFile.stem(), base);
    EXPECT_EQ(second->imageFile.stem(), base + "-3");
    EXPECT_EQ(third->imageFile.stem(), base + "-4");
    EXPECT_EQ(contents(temp.path() / (base + "-2.ign")), "somebody's");

    // Each entry kept its own set.
    DeviceImage loaded;
    ASSERT_EQ(files::loadImageFile(second->imageFile, loaded), 600u);
    EXPECT_EQ(loaded, unitImage(2));
}

TEST(UnitHistory, UnwritableFolderRecordsNothing)
{
    TempFolder temp;
    // A file where the folder should be: refused for root as well.
    writeText(temp.path() / "history", "a file");
    const UnitHistory blocked(temp.path() / "history");
    std::string error;
    EXPECT_FALSE(blocked.record(HistoryKind::Read, unitImage(0), utcTime(), &error));
    EXPECT_EQ(error, (temp.path() / "history").string());
    EXPECT_EQ(contents(temp.path() / "history"), "a file");
    EXPECT_TRUE(blocked.entries().empty());

    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only folder";
    const fs::path readOnly = temp.path() / "read-only";
    fs::create_directory(readOnly);
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::owner_exec);
    error.clear();
    EXPECT_FALSE(UnitHistory(readOnly).record(HistoryKind::Read, unitImage(0), utcTime(), &error));
    EXPECT_FALSE(error.empty());
    fs::permissions(readOnly, fs::perms::owner_all);
    EXPECT_EQ(fileCount(readOnly), 0u);
}

TEST(UnitHistory, SecondFileFailingTakesTheFirstAway)
{
    const ScopedEnv zone("TZ", "UTC0");
    TempFolder temp;
    const UnitHistory history(temp.path());
    const DeviceImage image = unitImage(0);
    const std::size_t parameterSize = files::writeParameterText(image, false).size();
    ASSERT_LT(parameterSize, files::imageText(image).size());
    std::optional<files::HistoryEntry> entry;
    std::string error;
    {
        // As on a disk that fills up between the two files.
        const velmora::test::FileSizeLimit limit(parameterSize);
        ASSERT_TRUE(limit.active());
        entry = history.record(HistoryKind::Program, image, utcTime(), &error);
    }
    EXPECT_FALSE(entry);
    EXPECT_NE(error.find(".img"), std::string::npos) << error;
    EXPECT_EQ(fileCount(temp.path()), 0u);

    // Once there is room again the same stem is free.
    const auto next = history.record(HistoryKind::Program, image, utcTime());
    ASSERT_TRUE(next);
    EXPECT_EQ(next->imageFile.stem(), "20260301-102030-program-KVX07-2026-02-05");
}

TEST(UnitHistory, EntriesNewestFirstSkippingWhatIsNoEntry)
{
    TempFolder temp;
    const UnitHistory history(temp.path());
    EXPECT_TRUE(UnitHistory(temp.path() / "missing").entries().empty());

    DeviceImage other = unitImage(5);
    other[layout::id::kVersion] = 8;
    const auto oldest = history.record(HistoryKind::Read, unitImage(1), utcTime(-3600));
    const auto middle = history.record(HistoryKind::Backup, other, utcTime());
    const auto sameSecond = history.record(HistoryKind::Program, other, utcTime());
    const auto newest = history.record(HistoryKind::Read, unitImage(2), utcTime(60));
    ASSERT_TRUE(oldest && middle && sameSecond && newest);

    // What is no entry: a short image, a parameter file without its key, an image without its
    // parameter file, a name that is not an entry's, another kind word.
    const auto copyOf = [&](const files::HistoryEntry &entry, const std::string &stem) {
        fs::copy_file(entry.parameterFile, temp.path() / (stem + ".ign"));
        fs::copy_file(entry.imageFile, temp.path() / (stem + ".img"));
    };
    copyOf(*newest, "20270101-000000-read-short");
    writeText(temp.path() / "20270101-000000-read-short.img", "1 2 3");
    copyOf(*newest, "20270101-000001-read-nokey");
    writeText(temp.path() / "20270101-000001-read-nokey.ign", "BIKE 3\r\n");
    copyOf(*newest, "20270101-000002-read-alone");
    fs::remove(temp.path() / "20270101-000002-read-alone.ign");
    copyOf(*newest, "notes");
    copyOf(*newest, "20270101-000003-tune-KVX07");
    fs::create_directory(temp.path() / "20270101-000004-read-folder.img");

    const auto listed = history.entries();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0].imageFile, newest->imageFile);
    EXPECT_EQ(listed[1].imageFile, sameSecond->imageFile);
    EXPECT_EQ(listed[2].imageFile, middle->imageFile);
    EXPECT_EQ(listed[3].imageFile, oldest->imageFile);
    EXPECT_EQ(listed[1].kind, HistoryKind::Program);
    EXPECT_EQ(listed[2].kind, HistoryKind::Backup);
    EXPECT_EQ(listed[2].identity, files::identityText(other));
    EXPECT_EQ(listed[3].parameterFile, oldest->parameterFile);
    EXPECT_EQ(listed[3].time, utcTime(-3600));

    const auto newestOther = history.newestOf(files::identityText(other));
    ASSERT_TRUE(newestOther);
    EXPECT_EQ(newestOther->imageFile, sameSecond->imageFile);
    EXPECT_FALSE(history.newestOf("ABC01  1. 1.2001 00:00"));
}

TEST(UnitHistory, DefaultFolderFollowsTheDataHome)
{
    {
        const ScopedEnv data("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(UnitHistory::defaultFolder(), fs::path("/data/home/velmora/history"));
    }
    const ScopedEnv home("HOME", "/home/rider");
    for (const char *unusable : {"", "relative/data"}) {
        const ScopedEnv data("XDG_DATA_HOME", unusable);
        EXPECT_EQ(UnitHistory::defaultFolder(),
                  fs::path("/home/rider/.local/share/velmora/history"));
    }
    const ScopedEnv data("XDG_DATA_HOME", nullptr);
    EXPECT_EQ(UnitHistory::defaultFolder(), fs::path("/home/rider/.local/share/velmora/history"));
}
