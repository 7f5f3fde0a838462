// The commands that talk to a unit, against the simulated unit's responder on an in-memory line
// with ticks driven by hand.
#include "cli_test_support.h"

#include "../files/temp_folder.h"

#include "cli/unit_session.h"
#include "files/image_file.h"
#include "files/parameter_file.h"
#include "link/frame.h"
#include "link/link.h"
#include "log/log_format.h"
#include "memory_unit.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <regex>

using namespace velmora;
using velmora::test::fileText;
using velmora::test::runTool;

namespace {

class CliUnitTest : public ::testing::Test {
protected:
    void startUnit(const sim::FaultPlan &plan = sim::FaultPlan{.pace = false})
    {
        unit = std::make_unique<velmora::test::MemoryUnit>(plan);
    }
    velmora::test::CliRun tool(const std::vector<std::string> &args) const
    {
        return unit ? runTool(args, unit->access()) : runTool(args);
    }
    std::string path(const char *name) const { return (folder.path() / name).string(); }
    int countOf(const std::string &text, const std::string &part) const
    {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }

    velmora::test::TempFolder folder;
    std::unique_ptr<velmora::test::MemoryUnit> unit;
};

} // namespace

TEST_F(CliUnitTest, ReadWritesTheUnitsSetAndImage)
{
    startUnit();
    DeviceImage theirs = unit->image();
    theirs[layout::kAdvance] = 12;
    theirs[layout::kLimiter2] = 99;
    unit->setImage(theirs);

    const auto run = tool(
        {"read", "--device", unit->device(), "-o", path("unit.ign"), "--image", path("unit.img")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    DeviceImage expected = theirs;
    consistencyPass(expected);
    EXPECT_EQ(fileText(path("unit.ign")), files::writeParameterText(expected, false));
    DeviceImage image;
    ASSERT_EQ(files::loadImageFile(path("unit.img"), image), layout::kImageSize);
    EXPECT_EQ(image, expected); // block 0 included
    EXPECT_EQ(image[layout::kAdvance], 12);
    // Six blocks read, five verified, a line each.
    EXPECT_EQ(countOf(run.err, "Read device: block "), 6);
    EXPECT_EQ(countOf(run.err, "Verify device: block "), 5);
    EXPECT_NE(run.err.find("Read device: block 6 of 6\n"), std::string::npos);
    // Every reply is taken on a tick of the session's source: at least one per block.
    EXPECT_GE(unit->ticks(), 11u);

    const auto toStdout = tool({"read", "--device", unit->device()});
    ASSERT_EQ(toStdout.code, 0);
    EXPECT_EQ(toStdout.out, files::writeParameterText(expected, false));

    // An image file that cannot be created ends the command before the parameter file.
    const auto blocked = tool({"read", "--device", unit->device(), "-o", path("late.ign"),
                               "--image", folder.path().string()});
    EXPECT_EQ(blocked.code, 1);
    EXPECT_TRUE(blocked.err.ends_with("\nOpen file error!\n")) << blocked.err;
    EXPECT_FALSE(std::filesystem::exists(path("late.ign")));
}

TEST_F(CliUnitTest, ProgramThenVerify)
{
    startUnit();
    unit->setSavingStep(250);
    DeviceImage mine = unit->image();
    mine[layout::kAdvance + 1] = 17;
    consistencyPass(mine);
    ASSERT_NE(unit->image()[layout::kAdvance + 1], 17);
    ASSERT_TRUE(files::saveParameterFile(path("mine.ign"), mine, false));

    const auto program = tool({"program", "--device", unit->device(), path("mine.ign")});
    ASSERT_EQ(program.code, 0) << program.err;
    EXPECT_TRUE(program.out.empty());
    EXPECT_EQ(unit->image()[layout::kAdvance + 1], 17);
    EXPECT_EQ(unit->counters().perCommand[0x05], 1u);
    EXPECT_NE(program.err.find("Program device: block 6 of 6\n"), std::string::npos);
    EXPECT_NE(program.err.find("Saving: "), std::string::npos);
    EXPECT_EQ(program.err.find("No Connection"), std::string::npos);

    const auto same = tool({"verify", "--device", unit->device(), path("mine.ign")});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_TRUE(same.out.empty());

    DeviceImage other = mine;
    other[layout::kAdvance + 1] = 18;
    ASSERT_TRUE(files::saveParameterFile(path("other.ign"), other, false));
    const auto differs = tool({"verify", "--device", unit->device(), path("other.ign")});
    EXPECT_EQ(differs.code, 1);
    EXPECT_EQ(differs.err.substr(differs.err.rfind('\n', differs.err.size() - 2) + 1),
              "Verify error!\n");
    EXPECT_TRUE(differs.out.empty());
}

TEST_F(CliUnitTest, ProgramRefusedForAModelTheUnitDoesNotTake)
{
    startUnit();
    sim::IdentityBlock identity;
    identity.modelMap = {1 << 3};
    unit->setIdentity(identity);
    const DeviceImage before = unit->image();
    const auto run =
        tool({"--language", "ENGLISH", "program", "--device", unit->device(), path("m0.ign")});
    EXPECT_EQ(run.code, 1); // the file is missing yet
    EXPECT_EQ(run.err, "Open file error!\n");
    ASSERT_EQ(tool({"defaults", "--model", "0", "-o", path("m0.ign")}).code, 0);

    const auto refused = tool({"program", "--device", unit->device(), path("m0.ign")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("These Ignition is not for this type of motorbikes!\n"),
              std::string::npos);
    EXPECT_EQ(unit->image(), before);
    EXPECT_EQ(unit->counters().perCommand[0x01], 0u);
}

TEST_F(CliUnitTest, SilentUnitGivesReadError)
{
    startUnit(sim::FaultPlan{.dropEvery = 1, .pace = false});
    const auto run = tool({"read", "--device", unit->device(), "-o", path("x.ign")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.substr(run.err.rfind('\n', run.err.size() - 2) + 1), "Read error!\n");
    EXPECT_FALSE(std::filesystem::exists(path("x.ign")));

    const auto czech = tool({"--language", "CESKY", "read", "--device", unit->device()});
    EXPECT_EQ(czech.err.substr(czech.err.rfind('\n', czech.err.size() - 2) + 1), "Chyba čtení!\n");
}

TEST_F(CliUnitTest, ReadRefusedByTheUnit)
{
    startUnit();
    sim::IdentityBlock identity;
    identity.readPermission = 0;
    unit->setIdentity(identity);
    const auto run = tool({"read", "--device", unit->device()});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("No Reading!\n"), std::string::npos);
}

TEST_F(CliUnitTest, MissingDeviceIsAComOpeningError)
{
    const auto run = tool({"read", "--device", "/nonexistent/velmora-port"});
    EXPECT_EQ(run.code, 1);
    // The second line names the device and why it would not open.
    EXPECT_EQ(run.err.rfind("Com opening error\n/nonexistent/velmora-port does not exist. ", 0), 0u)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
    EXPECT_TRUE(run.out.empty());
}

TEST_F(CliUnitTest, PortNumberMapsThroughTheEnvironment)
{
    startUnit();
    ::setenv("VELMORA_COM7", unit->device().c_str(), 1);
    const auto run = tool({"monitor", "--port", "7", "--count", "1"});
    ::unsetenv("VELMORA_COM7");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.rfind("RPM = ", 0), 0u);
}

TEST_F(CliUnitTest, MonitorPrintsOneBlockPerReply)
{
    startUnit();
    const auto run = tool({"monitor", "--device", unit->device(), "--count", "3"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(countOf(run.out, "RPM = "), 3);
    EXPECT_EQ(countOf(run.out, "\n\n"), 3);
    EXPECT_EQ(countOf(run.out, "Number of Programing"), 0);
    EXPECT_EQ(unit->counters().perCommand[link::kMonitorCommand], 3u);

    const auto extended =
        tool({"monitor", "--device", unit->device(), "--count", "1", "--extended"});
    EXPECT_EQ(countOf(extended.out, "Number of Programing= "), 1);
}

TEST_F(CliUnitTest, MonitorCsvHasAHeaderAndARowPerReply)
{
    startUnit();
    const auto run = tool({"monitor", "--device", unit->device(), "--count", "3", "--csv"});
    ASSERT_EQ(run.code, 0) << run.err;
    std::istringstream in(run.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 4u);
    // The window's ride log without the programming count: the load's source, the live cells
    // and an empty event close every row.
    EXPECT_EQ(rows[0] + '\n', log::LogFormat(false).header());
    const std::regex row(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z,-?\d+,.*)"
                         R"(,[01],(throttle|intake)(,\d){6},)");
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_TRUE(std::regex_match(rows[i], row)) << rows[i];
    EXPECT_LT(rows[1].substr(0, 23), rows[3].substr(0, 23));
    // Each row carries the time of the tick its reply came in, not the time the test ran.
    EXPECT_EQ(rows[1].rfind("2026-01-01T00:00:", 0), 0u) << rows[1];
}

namespace {

// A unit of model 2, whose advance limit (100) is one degree below model 0's, reporting its
// spark 30 degrees after that limit: it advances 70 degrees, model 0's limit would show 71.
class CliMonitorTest : public CliUnitTest {
protected:
    void startModel2Unit(const sim::FaultPlan &plan = sim::FaultPlan{.pace = false})
    {
        startUnit(plan);
        DeviceImage image = unit->image();
        image[layout::kBike] = 2;
        applyDefaults(image);
        consistencyPass(image);
        ASSERT_EQ(image[layout::kAdvanceLimit], 100);
        unit->setImage(image);
        sim::LiveState live;
        live.sparkPosition = 30;
        unit->setLive(live);
    }
    static std::string advance(const velmora::test::CliRun &run)
    {
        const auto at = run.out.find("ADVANCE = ");
        return at == std::string::npos ? run.out : run.out.substr(at, run.out.find('\n', at) - at);
    }
    velmora::test::CliRun monitor(std::vector<std::string> options)
    {
        std::vector<std::string> args{"monitor", "--device", unit->device(), "--count", "1"};
        args.insert(args.end(), options.begin(), options.end());
        return tool(args);
    }
    std::size_t sent(std::uint8_t command) const { return unit->counters().perCommand[command]; }
};

} // namespace

TEST_F(CliMonitorTest, AdvanceIsDecodedAgainstTheChosenParameterSet)
{
    startModel2Unit();

    // The unit's own set, read once before polling and not verified.
    auto run = monitor({});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(advance(run), "ADVANCE = 70 [°]");
    EXPECT_EQ(run.err, "");
    for (std::uint8_t block = 0x40; block <= 0x45; ++block)
        EXPECT_EQ(sent(block), 1u) << "request " << int(block);

    // A parameter file, built as convert builds it: its model's limit.
    ASSERT_EQ(tool({"defaults", "--model", "2", "-o", path("m2.ign")}).code, 0);
    run = monitor({"--params", path("m2.ign")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(advance(run), "ADVANCE = 70 [°]");

    // An image file as it is, even with a limit no model has.
    DeviceImage image = unit->image();
    image[layout::kAdvanceLimit] = 90;
    ASSERT_TRUE(files::saveImageFile(path("unit.img"), image));
    run = monitor({"--base", path("unit.img")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(advance(run), "ADVANCE = 60 [°]");
    EXPECT_EQ(sent(0x40), 1u) << "a given set is not read from the unit";
}

TEST_F(CliMonitorTest, ParametersAndBaseExcludeEachOtherAndMustBeReadable)
{
    startModel2Unit();
    ASSERT_EQ(tool({"defaults", "--model", "2", "-o", path("m2.ign")}).code, 0);
    const auto both = monitor({"--params", path("m2.ign"), "--base", path("m2.ign")});
    EXPECT_EQ(both.code, 2);
    EXPECT_NE(both.err.find("Usage: velmora-cli monitor"), std::string::npos) << both.err;
    EXPECT_TRUE(both.out.empty());

    for (const char *option : {"--params", "--base"}) {
        const auto missing = monitor({option, path("missing")});
        EXPECT_EQ(missing.code, 1) << option;
        EXPECT_EQ(missing.err, "Open file error!\n") << option;
        EXPECT_TRUE(missing.out.empty()) << option;
    }
    EXPECT_EQ(unit->requestsSeen(), 0u);
}

TEST_F(CliMonitorTest, UnreadableUnitIsNamedOnceAndModelZeroStandsIn)
{
    startModel2Unit();
    sim::IdentityBlock identity;
    identity.readPermission = 0;
    unit->setIdentity(identity);
    auto run = monitor({});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "No Reading! The monitor decodes against the defaults of model 0.\n");
    EXPECT_EQ(advance(run), "ADVANCE = 71 [°]");
    EXPECT_EQ(sent(0x41), 0u);

    // The unit answers blocks 0 to 2, which hold its limit, then stays silent until the read has
    // given up on block 3: none of what came may stay in the set.
    identity.readPermission = 1;
    unit->setIdentity(identity);
    unit->setFaultPlan(sim::FaultPlan{.silentAfter = 3, .pace = false});
    const std::size_t before = unit->requestsSeen();
    bool recovered = false;
    unit->onTick = [&] {
        if (!recovered && unit->requestsSeen() >= before + 3 + link::Link::kMaxSends) {
            unit->setFaultPlan(sim::FaultPlan{.pace = false});
            recovered = true;
        }
    };
    run = monitor({"--language", "DEUTSCH"});
    EXPECT_TRUE(recovered);
    ASSERT_EQ(run.code, 0) << run.err;
    // The line went silent for longer than the connection indicator waits, which it says next.
    EXPECT_EQ(run.err, "Lesefehler Der Monitor dekodiert mit den Vorgaben von Modell 0.\n"
                       "No Connection\n");
    EXPECT_EQ(advance(run), "ADVANCE = 71 [°]");
    EXPECT_EQ(sent(0x43), static_cast<std::size_t>(link::Link::kMaxSends));
    EXPECT_EQ(sent(0x44), 0u);
}

// The session's success is the outcome the link reports, not a caption it compares: a Program
// ends on its own caption and a Read for the monitor on its starting one, yet both succeed.
TEST_F(CliUnitTest, SessionSuccessFollowsTheReportedOutcome)
{
    startUnit();
    using link::Outcome;
    using link::Transaction;
    using Ended = link::HeadlessView::Ended;
    DeviceImage mine = unit->image();
    mine[layout::kAdvance + 1] = 17;
    consistencyPass(mine);
    cli::UnitSession session(mine, 1, unit->access());
    ASSERT_TRUE(session.open(unit->device()));
    std::ostream quiet(nullptr);

    EXPECT_TRUE(session.transact(&link::Link::MenuProgramClick, quiet));
    EXPECT_EQ(session.view().ended(), (Ended{Transaction::Program, Outcome::Ok}));
    EXPECT_EQ(session.view().message(), "Program device: OK");
    EXPECT_EQ(unit->image()[layout::kAdvance + 1], 17);

    EXPECT_TRUE(session.transact(&link::Link::readWithoutVerify, quiet));
    EXPECT_EQ(session.view().ended(), (Ended{Transaction::Read, Outcome::Ok}));
    EXPECT_EQ(session.view().message(), "Read device:");

    // A silent unit: the outcome of the run before does not linger.
    unit->setFaultPlan(sim::FaultPlan{.dropEvery = 1, .pace = false});
    EXPECT_FALSE(session.transact(&link::Link::MenuVerifyClick, quiet));
    EXPECT_EQ(session.view().ended(), (Ended{Transaction::Verify, Outcome::VerifyError}));
    EXPECT_EQ(session.failureText(), "Verify error!");
}

// A cable pulled out in the middle: the tool does not wait for it to come back. The transaction
// ends at the tick that finds the line gone, long before a time-out would end it.
TEST_F(CliUnitTest, LineLostMidTransactionEndsItWithItsText)
{
    const std::string lost = "Connection to the unit lost: the port was closed\n";
    struct Case {
        std::vector<std::string> args;
        const char *caption; // the last progress line before the break
    };
    startUnit();
    DeviceImage mine = unit->image();
    ASSERT_TRUE(files::saveParameterFile(path("mine.ign"), mine, false));
    const Case cases[] = {
        {{"read", "--device", unit->device(), "-o", path("unit.ign")}, "Read device: block 3"},
        {{"program", "--device", unit->device(), path("mine.ign")}, "Program device: block 3"},
        {{"verify", "--device", unit->device(), path("mine.ign")}, "Verify device: block 4"},
    };
    for (const Case &c : cases) {
        const std::size_t before = unit->requestsSeen();
        const std::size_t ticksBefore = unit->ticks();
        unit->onTick = [&] {
            if (unit->requestsSeen() >= before + 3)
                unit->unplug();
        };
        const auto run = tool(c.args);
        EXPECT_EQ(run.code, 1) << c.args[0];
        EXPECT_TRUE(run.err.ends_with(lost)) << run.err;
        EXPECT_NE(run.err.find(c.caption), std::string::npos) << run.err;
        EXPECT_LE(unit->ticks() - ticksBefore, 4u) << c.args[0] << " waited for a time-out";
        EXPECT_FALSE(std::filesystem::exists(path("unit.ign")));
    }
    unit->onTick = nullptr;
}

TEST_F(CliMonitorTest, LineLostEndsTheMonitorWithItsText)
{
    startModel2Unit();
    unit->onTick = [&] {
        if (unit->counters().perCommand[link::kMonitorCommand] >= 3)
            unit->unplug();
    };
    const auto run = tool({"monitor", "--device", unit->device(), "--count", "1000"});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.err.ends_with("Connection to the unit lost: the port was closed\n")) << run.err;
    EXPECT_EQ(countOf(run.out, "ADVANCE = "), 2) << run.out;
    EXPECT_LT(unit->ticks(), 100u);
}
