// The velmora-cli program itself against the simulated unit through a real pseudo-terminal,
// paced by its real 55 ms tick. The tool's other cases run on an in-memory line with ticks by
// hand; these prove the line, the tick and the program's own entry.
#include "../cli/cli_test_support.h"
#include "../files/temp_folder.h"

#include "files/image_file.h"
#include "files/parameter_file.h"
#include "files/unit_history.h"
#include "link/frame.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"
#include "sim/pty_unit.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

using namespace velmora;

namespace {

class CliEndToEndTest : public ::testing::Test {
protected:
    CliEndToEndTest()
        : unit(std::make_unique<sim::PtyUnit>(sim::BlockStore{}, sim::FaultPlan{.pace = false}))
    {}

    // One run of the program, waited for up to a deadline. The unit history goes into the
    // test's folder, never the user's.
    velmora::test::CliRun
    tool(const QStringList &args,
         QProcessEnvironment environment = QProcessEnvironment::systemEnvironment())
    {
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path("data"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VELMORA_CLI_PATH), args);
        velmora::test::CliRun run;
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "velmora-cli did not finish";
            return run;
        }
        run.code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput().toStdString();
        run.err = process.readAllStandardError().toStdString();
        return run;
    }
    QString device() const { return QString::fromStdString(unit->slavePath()); }
    files::UnitHistory history() const
    {
        return files::UnitHistory(folder.path() / "data" / "velmora" / "history");
    }
    std::size_t writeRequests() const
    {
        std::size_t n = 0;
        for (std::size_t block = 0; block < layout::kBlockCount; ++block)
            n += unit->counters().perCommand[block];
        return n;
    }
    QString path(const char *name) const
    {
        return QString::fromStdString((folder.path() / name).string());
    }

    velmora::test::TempFolder folder;
    std::unique_ptr<sim::PtyUnit> unit;
};

} // namespace

TEST_F(CliEndToEndTest, ReadWritesTheUnitsSetAndImage)
{
    DeviceImage theirs = unit->image();
    theirs[layout::kAdvance] = 12;
    unit->setImage(theirs);

    const auto run =
        tool({QStringLiteral("read"), QStringLiteral("--device"), device(), QStringLiteral("-o"),
              path("unit.ign"), QStringLiteral("--image"), path("unit.img")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    DeviceImage expected = theirs;
    consistencyPass(expected);
    EXPECT_EQ(velmora::test::fileText(path("unit.ign").toStdString()),
              files::writeParameterText(expected, false));
    DeviceImage image;
    ASSERT_EQ(files::loadImageFile(path("unit.img").toStdString(), image), layout::kImageSize);
    EXPECT_EQ(image, expected);
    EXPECT_NE(run.err.find("Read device: block 6 of 6\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Verify device: block 6 of 6\n"), std::string::npos) << run.err;
}

TEST_F(CliEndToEndTest, ProgramWritesTheUnitAndWaitsForItToSave)
{
    unit->setSavingStep(250);
    DeviceImage mine = unit->image();
    mine[layout::kAdvance + 1] = 17;
    consistencyPass(mine);
    ASSERT_NE(unit->image()[layout::kAdvance + 1], 17);
    ASSERT_TRUE(files::saveParameterFile(path("mine.ign").toStdString(), mine, false));

    const auto run =
        tool({QStringLiteral("program"), QStringLiteral("--device"), device(), path("mine.ign")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(unit->image()[layout::kAdvance + 1], 17);
    EXPECT_EQ(unit->counters().perCommand[0x05], 1u);
    EXPECT_NE(run.err.find("Program device: block 6 of 6\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Saving: "), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("No Connection"), std::string::npos) << run.err;
    EXPECT_EQ(unit->live().savingCountdown, 0);
}

TEST_F(CliEndToEndTest, PortsListsTheMachineAndAPseudoTerminalAsPresent)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path("config"));
    environment.insert(QStringLiteral("VELMORA_COM2"), device());
    environment.insert(QStringLiteral("VELMORA_COM9"), path("unplugged"));
    const auto run = tool({QStringLiteral("ports")}, environment);
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("\nCOM2\t" + unit->slavePath() + "\tpresent\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\nCOM9\t" + path("unplugged").toStdString() + "\tabsent\n"),
              std::string::npos)
        << run.out;
}

TEST_F(CliEndToEndTest, MonitorThroughAPortNumberKeepsTheTick)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELMORA_COM7"), device());
    const auto run = tool({QStringLiteral("monitor"), QStringLiteral("--port"), QStringLiteral("7"),
                           QStringLiteral("--count"), QStringLiteral("2"), QStringLiteral("--csv")},
                          environment);
    ASSERT_EQ(run.code, 0) << run.err;
    std::istringstream in(run.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(in, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 3u) << run.out;
    EXPECT_EQ(rows[0].rfind("time [ISO 8601],rpm [rpm],", 0), 0u);
    EXPECT_LT(rows[1].substr(0, 23), rows[2].substr(0, 23));
    EXPECT_EQ(unit->counters().perCommand[link::kMonitorCommand], 2u);

    // The program sends at most one request a tick, on the real 55 ms tick. A late tick is made
    // up by the next one, so single gaps may be short on a busy machine, never the average.
    const auto log = unit->frameLog();
    ASSERT_GE(log.size(), 3u);
    const auto span = log.back().at - log.front().at;
    EXPECT_GE(span / static_cast<long>(log.size() - 1), std::chrono::milliseconds(50))
        << log.size() << " requests in "
        << std::chrono::duration_cast<std::chrono::milliseconds>(span).count() << " ms";
}

TEST_F(CliEndToEndTest, ReadAndProgramAreKeptInTheHistoryFailuresAreNot)
{
    const QString dev = device();
    const auto read = tool({QStringLiteral("read"), QStringLiteral("--device"), dev,
                            QStringLiteral("-o"), path("unit.ign")});
    ASSERT_EQ(read.code, 0) << read.err;
    auto entries = history().entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, files::HistoryKind::Read);
    EXPECT_EQ(velmora::test::fileText(entries[0].parameterFile),
              velmora::test::fileText(path("unit.ign").toStdString()));

    ASSERT_EQ(
        tool({QStringLiteral("program"), QStringLiteral("--device"), dev, path("unit.ign")}).code,
        0);
    ASSERT_EQ(tool({QStringLiteral("read"), QStringLiteral("--no-history"),
                    QStringLiteral("--device"), dev})
                  .code,
              0);
    entries = history().entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, files::HistoryKind::Program);
    DeviceImage programmed;
    ASSERT_EQ(files::loadImageFile(entries[0].imageFile, programmed), layout::kImageSize);
    EXPECT_EQ(programmed, unit->image());

    const auto listed = tool({QStringLiteral("history")});
    ASSERT_EQ(listed.code, 0) << listed.err;
    std::istringstream lines(listed.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    ASSERT_EQ(rows.size(), 2u) << listed.out;
    EXPECT_NE(
        rows[0].find("\tprogram\tVSU07 14. 3.2024 09:30\t" + entries[0].parameterFile.string()),
        std::string::npos)
        << rows[0];
    EXPECT_NE(rows[1].find("\tread\t"), std::string::npos) << rows[1];

    // A unit that forbids reading: the Read fails and the backup before a Program stops it
    // before any block is sent.
    sim::IdentityBlock refusing;
    refusing.readPermission = 0;
    unit->setIdentity(refusing);
    EXPECT_EQ(tool({QStringLiteral("read"), QStringLiteral("--device"), dev}).code, 1);
    const std::size_t writes = writeRequests();
    const auto backup = tool({QStringLiteral("program"), QStringLiteral("--backup"),
                              QStringLiteral("--device"), dev, path("unit.ign")});
    EXPECT_EQ(backup.code, 1);
    EXPECT_NE(backup.err.find("No Reading!\n"), std::string::npos) << backup.err;
    EXPECT_EQ(writeRequests(), writes);
    EXPECT_EQ(history().entries().size(), 2u);
}
