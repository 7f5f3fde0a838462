// velmora-cli analyze: the report, the output file and the exit codes.
#include "cli_test_support.h"

#include "../analysis/log_text.h"
#include "../files/temp_folder.h"

#include "cli/image_builder.h"
#include "model/image_layout.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::LogRow;
using velmora::test::runTool;

namespace {

class CliAnalyzeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(runTool({"defaults", "--model", "0", "-o", params}).code, 0);
        // Model 0 aims at 800 mV +- 50 mV (lambda 0.97 on the default curve). TP14/TP23 cell
        // (2, 1), 2000 rpm at 5 % throttle, reads lean at 300 mV; cell (2, 2), 3000 rpm, reads
        // 820 mV, inside the band. Five replies each, the first two not yet steady.
        std::vector<LogRow> rows;
        for (const auto &[rpm, mv] : {std::pair{"2000", 300}, std::pair{"3000", 820}}) {
            for (int i = 0; i < 5; ++i) {
                LogRow row;
                row.seconds = 0.1 * static_cast<double>(rows.size());
                row.rpm = rpm;
                row.throttle = "5";
                row.lambda = std::to_string(mv + (i % 2) * 2);
                rows.push_back(row);
            }
        }
        write(log, test::logText(rows));
    }

    static void write(const std::string &path, const std::string &text)
    {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string path(const char *name) const { return (folder.path() / name).string(); }

    test::TempFolder folder;
    const std::string params = path("base.ign");
    const std::string log = path("ride.csv");
};

std::size_t tp14(int row, int column)
{
    return layout::kJetTp + static_cast<std::size_t>(10 * row + column);
}
std::size_t tp23(int row, int column)
{
    return layout::kJetTpi + static_cast<std::size_t>(10 * row + column);
}

} // namespace

TEST_F(CliAnalyzeTest, ReportsEveryVisitedCellAndWritesTheProposedSet)
{
    const std::string proposed = path("proposed.ign");
    const auto run = runTool({"analyze", log, "--params", params, "-o", proposed});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    // Lambda 1.017 / 0.97: +4.8 %.
    EXPECT_NE(run.out.find("map\trow\tcolumn\tcurrent\tproposed\tchange [%]\tweight\n"
                           "TP14\t2\t1\t100\t105\t+5.0\t3.00\n"
                           "TP14\t2\t2\t100\t100\t+0.0\t3.00\n"
                           "TP23\t2\t1\t100\t105\t+5.0\t3.00\n"
                           "TP23\t2\t2\t100\t100\t+0.0\t3.00\n"
                           "Proposals: 2 of 4 visited cells\n"
                           "Monitor rows: 10, trusted: 6\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("operating point not steady (fewer than 3 replies in the same "
                           "cells)\t4\n"),
              std::string::npos);

    const cli::BuiltImage before = cli::buildImage(params, cli::FileKind::Parameters, {});
    const cli::BuiltImage after = cli::buildImage(proposed, cli::FileKind::Parameters, {});
    ASSERT_TRUE(before && after);
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        if (before.image[i] != after.image[i])
            changed.push_back(i);
    EXPECT_EQ(changed, (std::vector<std::size_t>{tp14(2, 1), tp23(2, 1)}));
    EXPECT_EQ(after.image[tp14(2, 1)], 105);
    EXPECT_EQ(after.image[tp23(2, 1)], 105);
}

TEST_F(CliAnalyzeTest, MapsAndThresholdsComeFromTheOptions)
{
    auto run = runTool({"analyze", log, "--params", params, "--map", "tp23", "--cap", "2"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.find("TP14\t"), std::string::npos);
    EXPECT_NE(run.out.find("TP23\t2\t1\t100\t102\t+2.0\t3.00\n"), std::string::npos) << run.out;

    run = runTool({"--language", "DEUTSCH", "analyze", log, "--params", params, "--warm", "81"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("Keine Zelle wurde besucht.\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Motor kalt (Kühlmittel unter 81 °C)\t10\n"), std::string::npos);

    // A flat curve reads lambda 0.9 everywhere: the lean cell still moves one step.
    const std::string sensor = path("flat.txt");
    write(sensor, "# a sensor that says nothing\n0 0.9\n1000 0.9\n");
    run = runTool({"analyze", log, "--params", params, "--sensor", sensor});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("TP14\t2\t1\t100\t101\t+1.0\t3.00\n"), std::string::npos) << run.out;

    // An image file as the base, with a weight of 2 per cell from four steady replies: too
    // little for 2.5.
    const std::string image = path("base.img");
    ASSERT_EQ(runTool({"convert", params, "--to", "image", "-o", image}).code, 0);
    run = runTool({"analyze", log, "--base", image, "--steady", "4", "--min-weight", "2.5"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("TP14\t2\t1\t100\t100\t+0.0\t2.00\n"), std::string::npos) << run.out;
}

TEST_F(CliAnalyzeTest, UnreadableFilesExitOneWithTheReadersMessage)
{
    auto run = runTool({"analyze", path("none.csv"), "--params", params});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("The ride log " + path("none.csv") + " cannot be read"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(run.out.empty());

    write(path("header.csv"), "time [ISO 8601],rpm [rpm]\n");
    run = runTool({"analyze", path("header.csv"), "--params", params});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("holds no rows"), std::string::npos) << run.err;

    run = runTool({"analyze", log, "--params", path("none.ign")});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("Open file error!"), std::string::npos) << run.err;

    write(path("falling.txt"), "900 0.8\n100 1.2\n");
    run = runTool({"analyze", log, "--params", params, "--sensor", path("falling.txt")});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("holds no usable sensor curve"), std::string::npos) << run.err;
    run = runTool({"analyze", log, "--params", params, "--sensor", path("none.txt")});
    EXPECT_EQ(run.code, 1);
    EXPECT_TRUE(run.out.empty());

    // Nothing is written when the analysis does not run.
    run = runTool({"analyze", path("none.csv"), "--params", params, "-o", path("out.ign")});
    EXPECT_EQ(run.code, 1);
    EXPECT_FALSE(std::filesystem::exists(path("out.ign")));
}

TEST_F(CliAnalyzeTest, UsageErrorsExitTwo)
{
    const std::vector<std::vector<std::string>> wrong{
        {"analyze", log},                                      // no parameter set
        {"analyze", log, "--params", params, "--base", "x"},   // two
        {"analyze", "--params", params},                       // no log
        {"analyze", log, log, "--params", params},             // two logs
        {"analyze", log, "--params", params, "--map", "tp"},   // no such map
        {"analyze", log, "--params", params, "--cap", "-1"},   // out of range
        {"analyze", log, "--params", params, "--cap", "2.5"},  // not whole
        {"analyze", log, "--params", params, "--steady", "x"}, // no number
        {"analyze", log, "--params", params, "--min-weight"},  // no value
        {"analyze", log, "--params", params, "--rail-low", "900", "--rail-high", "100"},
        {"analyze", log, "--params", params, "--ride"},
    };
    for (const auto &args : wrong) {
        const auto run = runTool(args);
        EXPECT_EQ(run.code, 2) << args.back();
        EXPECT_NE(run.err.find("Usage: velmora-cli analyze"), std::string::npos) << args.back();
    }
    const auto help = runTool({"analyze", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--min-weight W"), std::string::npos);
    EXPECT_NE(runTool({"--help"}).out.find("  analyze "), std::string::npos);
}
