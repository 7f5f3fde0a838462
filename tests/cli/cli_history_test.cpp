// The unit history the tool keeps after read and program, its listing, and the backup before
// programming, against the simulated unit's responder on an in-memory line.
#include "cli_test_support.h"

#include "../files/temp_folder.h"

#include "files/image_file.h"
#include "files/parameter_file.h"
#include "files/unit_history.h"
#include "link/frame.h"
#include "memory_unit.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <regex>

using namespace velmora;
using files::HistoryKind;
using velmora::test::runTool;

namespace {

class CliHistoryTest : public ::testing::Test {
protected:
    CliHistoryTest() : history(folder.path() / "history") {}

    velmora::test::CliRun tool(const std::vector<std::string> &args)
    {
        cli::UnitAccess access = unit.access();
        access.historyFolder = history.folder();
        return runTool(args, access);
    }
    std::string path(const char *name) const { return (folder.path() / name).string(); }
    std::vector<std::string> device() const { return {"--device", unit.device()}; }
    std::vector<std::string> with(std::vector<std::string> args,
                                  const std::vector<std::string> &more) const
    {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    static DeviceImage imageOf(const files::HistoryEntry &entry)
    {
        DeviceImage image;
        EXPECT_EQ(files::loadImageFile(entry.imageFile, image), layout::kImageSize);
        return image;
    }
    // Requests that write a block or begin a Program.
    std::size_t programRequests() const
    {
        std::size_t n = 0;
        for (std::size_t block = 0; block < layout::kBlockCount; ++block)
            n += unit.counters().perCommand[block];
        return n;
    }
    // A set the unit holds with a value the consistency pass would change.
    DeviceImage outOfRangeSet() const
    {
        DeviceImage image = unit.image();
        image[layout::kStartJet] = 200; // at most 50
        DeviceImage passed = image;
        consistencyPass(passed);
        EXPECT_NE(passed, image);
        return image;
    }

    velmora::test::TempFolder folder;
    velmora::test::MemoryUnit unit{sim::FaultPlan{.pace = false}};
    files::UnitHistory history;
};

} // namespace

TEST_F(CliHistoryTest, ReadAndProgramAreRecordedFailuresAreNot)
{
    const auto read = tool(with({"read", "-o", path("unit.ign")}, device()));
    ASSERT_EQ(read.code, 0) << read.err;
    auto entries = history.entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, HistoryKind::Read);
    // The entry is the set read, after its passes, with the unit's identity block.
    EXPECT_EQ(velmora::test::fileText(entries[0].parameterFile),
              velmora::test::fileText(path("unit.ign")));
    EXPECT_EQ(imageOf(entries[0]).block(0)[0], 'V');
    EXPECT_EQ(entries[0].identity, "VSU07 14. 3.2024 09:30");

    DeviceImage mine = imageOf(entries[0]);
    mine[layout::kAdvance + 1] = 17;
    consistencyPass(mine);
    ASSERT_TRUE(files::saveParameterFile(path("mine.ign"), mine, false));
    const auto program = tool(with({"program", path("mine.ign")}, device()));
    ASSERT_EQ(program.code, 0) << program.err;
    entries = history.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, HistoryKind::Program);
    EXPECT_EQ(imageOf(entries[0]), unit.image()); // what the unit now holds, identity included

    // A verify is no entry, nor is a Read that failed or a Program the unit refused.
    EXPECT_EQ(tool(with({"verify", path("mine.ign")}, device())).code, 0);
    unit.setFaultPlan(sim::FaultPlan{.dropEvery = 1, .pace = false});
    EXPECT_EQ(tool(with({"read"}, device())).code, 1);
    EXPECT_EQ(tool(with({"program", path("mine.ign")}, device())).code, 1);
    EXPECT_EQ(history.entries().size(), 2u);
}

TEST_F(CliHistoryTest, NoHistoryRecordsNothing)
{
    ASSERT_EQ(tool(with({"read", "--no-history"}, device())).code, 0);
    ASSERT_EQ(tool({"defaults", "--model", "0", "-o", path("m0.ign")}).code, 0);
    ASSERT_EQ(tool(with({"program", "--no-history", path("m0.ign")}, device())).code, 0);
    EXPECT_FALSE(std::filesystem::exists(history.folder()));
}

TEST_F(CliHistoryTest, UnwritableHistoryLeavesTheResultStanding)
{
    std::ofstream(history.folder()) << "a file in the way";
    const auto read =
        tool(with({"--language", "DEUTSCH", "read", "-o", path("unit.ign")}, device()));
    EXPECT_EQ(read.code, 0);
    EXPECT_FALSE(velmora::test::fileText(path("unit.ign")).empty());
    // One line, the last, in the user's language.
    EXPECT_EQ(read.err.substr(read.err.rfind('\n', read.err.size() - 2) + 1),
              "Der Eintrag im Geräteverlauf wurde nicht geschrieben: " + history.folder().string() +
                  "\n");
}

TEST_F(CliHistoryTest, HistoryListsNewestFirstSeparatedByTabs)
{
    EXPECT_EQ(tool({"history"}).out, ""); // no folder yet
    ASSERT_EQ(tool(with({"read"}, device())).code, 0);
    ASSERT_EQ(tool({"defaults", "--model", "0", "-o", path("m0.ign")}).code, 0);
    ASSERT_EQ(tool(with({"program", path("m0.ign")}, device())).code, 0);

    const auto run = tool({"history"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.empty());
    const std::regex line(R"((\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)\t(\w+)\t([^\t]+)\t([^\t\n]+)\n)");
    std::vector<std::smatch> lines;
    for (auto it = std::sregex_iterator(run.out.begin(), run.out.end(), line);
         it != std::sregex_iterator(); ++it)
        lines.push_back(*it);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0].position(0) + lines[0].length(0) + lines[1].length(0), run.out.size());
    const auto entries = history.entries();
    EXPECT_EQ(lines[0][2], "program");
    EXPECT_EQ(lines[1][2], "read");
    EXPECT_EQ(lines[0][3], "VSU07 14. 3.2024 09:30");
    EXPECT_EQ(lines[0][4], entries[0].parameterFile.string());
    EXPECT_EQ(lines[1][4], entries[1].parameterFile.string());
    // The time is the entry's, in the same local time as its file's name.
    const std::string stem = entries[1].parameterFile.stem().string();
    const std::string time = lines[1][1];
    EXPECT_EQ(stem.substr(0, 15), time.substr(0, 4) + time.substr(5, 2) + time.substr(8, 2) + '-' +
                                      time.substr(11, 2) + time.substr(14, 2) + time.substr(17, 2));
}

TEST_F(CliHistoryTest, BackupKeepsTheUnitsSetAsItIsThenPrograms)
{
    const DeviceImage theirs = outOfRangeSet();
    unit.setImage(theirs);
    ASSERT_EQ(tool({"defaults", "--model", "0", "-o", path("m0.ign")}).code, 0);

    const auto run = tool(with({"program", "--backup", "--no-history", path("m0.ign")}, device()));
    ASSERT_EQ(run.code, 0) << run.err;
    const auto entries = history.entries();
    ASSERT_EQ(entries.size(), 1u); // the backup was asked for; the Program is not kept
    EXPECT_EQ(entries[0].kind, HistoryKind::Backup);
    EXPECT_EQ(imageOf(entries[0]), theirs);
    EXPECT_NE(unit.image(), theirs);
    EXPECT_EQ(unit.counters().perCommand[0x05], 1u);

    ASSERT_EQ(tool(with({"program", "--backup", path("m0.ign")}, device())).code, 0);
    const auto both = history.entries();
    ASSERT_EQ(both.size(), 3u);
    EXPECT_EQ(both[0].kind, HistoryKind::Program);
    EXPECT_EQ(both[1].kind, HistoryKind::Backup);
}

TEST_F(CliHistoryTest, FailedBackupSendsNoBlock)
{
    ASSERT_EQ(tool({"defaults", "--model", "0", "-o", path("m0.ign")}).code, 0);
    const DeviceImage before = unit.image();

    // The unit forbids reading its set.
    sim::IdentityBlock identity;
    identity.readPermission = 0;
    unit.setIdentity(identity);
    const DeviceImage refusing = unit.image();
    const auto refused = tool(with({"program", "--backup", path("m0.ign")}, device()));
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.substr(refused.err.rfind('\n', refused.err.size() - 2) + 1),
              "No Reading!\n");
    EXPECT_EQ(programRequests(), 0u);
    EXPECT_EQ(unit.image(), refusing);
    EXPECT_TRUE(history.entries().empty());

    // A backup that cannot be written.
    identity.readPermission = 1;
    unit.setIdentity(identity);
    std::ofstream(history.folder()) << "a file in the way";
    const auto unwritable =
        tool(with({"--language", "CESKY", "program", "--backup", path("m0.ign")}, device()));
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("Zálohu jednotky nelze zapsat, nic nebylo odesláno: " +
                                  history.folder().string() + "\n"),
              std::string::npos)
        << unwritable.err;
    EXPECT_EQ(programRequests(), 0u);
    const DeviceImage after = unit.image();
    EXPECT_TRUE(std::ranges::equal(after.parameters(), before.parameters()));
}
