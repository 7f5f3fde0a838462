#include "sim/unit_options.h"

#include "sim/block_store.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <vector>

namespace velmora::sim {
namespace {

ParsedOptions parse(std::vector<std::string_view> args)
{
    return parseUnitOptions(args);
}

TEST(UnitOptions, NoArgumentsGiveAPacedFaultlessUnit)
{
    const ParsedOptions p = parse({});
    ASSERT_TRUE(p.ok()) << p.error;
    EXPECT_EQ(p.options.faults, FaultPlan{});
    EXPECT_TRUE(p.options.faults.pace);
    EXPECT_TRUE(p.options.watchStdin);
    EXPECT_FALSE(p.options.imageFile);
}

TEST(UnitOptions, IdentityAndLineOptionsInBothSpellings)
{
    const ParsedOptions p = parse({"--name",
                                   "ABC",
                                   "--identity-version=12",
                                   "--date",
                                   "5.2.2002",
                                   "--time",
                                   "13:07",
                                   "--mark",
                                   "42",
                                   "--models",
                                   "0x0b",
                                   "--long-name",
                                   "Test unit",
                                   "--no-pace",
                                   "--drop-every",
                                   "3",
                                   "--corrupt-every=4",
                                   "--split-every",
                                   "6",
                                   "--split-pause",
                                   "80",
                                   "--stray",
                                   "7",
                                   "--hangup-after",
                                   "10",
                                   "--image",
                                   "img.txt",
                                   "--file-identity",
                                   "--no-stdin"});
    ASSERT_TRUE(p.ok()) << p.error;
    const IdentityBlock &id = p.options.identity;
    EXPECT_EQ(id.name, "ABC");
    EXPECT_EQ(id.version, 12);
    EXPECT_EQ(id.day, 5);
    EXPECT_EQ(id.month, 2);
    EXPECT_EQ(id.year, 2002u);
    EXPECT_EQ(id.hour, 13);
    EXPECT_EQ(id.minute, 7);
    EXPECT_EQ(id.compatibilityMark, 42);
    EXPECT_EQ(id.modelMap[0], 0x0B);
    EXPECT_EQ(id.longName, "Test unit");
    const FaultPlan &f = p.options.faults;
    EXPECT_FALSE(f.pace);
    EXPECT_EQ(f.dropEvery, 3u);
    EXPECT_EQ(f.corruptEvery, 4u);
    EXPECT_EQ(f.splitEvery, 6u);
    EXPECT_EQ(f.splitPause.count(), 80);
    EXPECT_EQ(f.strayBytes, 7u);
    EXPECT_EQ(f.hangupAfter, 10u);
    EXPECT_EQ(p.options.imageFile, "img.txt");
    EXPECT_TRUE(p.options.fileIdentity);
    EXPECT_FALSE(p.options.watchStdin);
}

TEST(UnitOptions, VersionAsksForTheReleaseAndNamesNoIdentityByte)
{
    const ParsedOptions asked = parse({"--version"});
    ASSERT_TRUE(asked.ok()) << asked.error;
    EXPECT_TRUE(asked.options.version);
    EXPECT_EQ(asked.options.identity.version, IdentityBlock{}.version);
    EXPECT_FALSE(parse({}).options.version);

    const ParsedOptions valued = parse({"--version=12"});
    EXPECT_FALSE(valued.ok());
    EXPECT_EQ(valued.error, "--version takes no value");
    const ParsedOptions separate = parse({"--version", "12"});
    EXPECT_FALSE(separate.ok());
    EXPECT_EQ(separate.error, "unknown option 12");

    const ParsedOptions renamed = parse({"--identity-version", "200"});
    ASSERT_TRUE(renamed.ok()) << renamed.error;
    EXPECT_EQ(renamed.options.identity.version, 200);
    EXPECT_FALSE(renamed.options.version);
}

TEST(UnitOptions, NamingABlockToAlterAltersEachOfItsReplies)
{
    const FaultPlan f = parse({"--alter-block", "4"}).options.faults;
    EXPECT_EQ(f.alterBlock, 4);
    EXPECT_EQ(f.alterEvery, 1u);
    EXPECT_EQ(parse({"--alter-every", "3", "--alter-block", "0"}).options.faults.alterEvery, 3u);
}

TEST(UnitOptions, BadCommandLinesAreRefusedNamingTheOption)
{
    const std::vector<std::vector<std::string_view>> bad{
        {"--bogus"},
        {"extra"},
        {"--drop-every"},
        {"--drop-every", "-1"},
        {"--drop-every", "2x"},
        {"--identity-version", "256"},
        {"--name", "ABCD"},
        {"--date", "31.13.2020"},
        {"--date", "1.1.1999"},
        {"--date", "1.1"},
        {"--time", "24:00"},
        {"--time", "12:60"},
        {"--models", "G1"},
        {"--models", "100"},
        {"--alter-block", "6"},
        {"--pace=1"},
    };
    for (const auto &args : bad) {
        const ParsedOptions p = parse(args);
        EXPECT_FALSE(p.ok()) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_NE(p.error.find(args[0].substr(0, 6)), std::string::npos) << p.error;
    }
}

TEST(UnitOptions, LoadModeHelpNamesTheDefaultTheEngineKeeps)
{
    const std::string usage = unitUsage();
    const auto entry = usage.find("--load-mode");
    ASSERT_NE(entry, std::string::npos);
    const std::string help = usage.substr(entry, usage.find("\nLambda:", entry) - entry);
    EXPECT_NE(help.find("by default the throttle"), std::string::npos) << help;

    const Engine engine = parse({"--rpm", "3000", "--tps", "20"}).options.engine.makeEngine();
    DeviceImage image = BlockStore::defaultImage();
    for (std::uint8_t mode = 0; mode < 4; ++mode) {
        image[layout::kTpsMode] = mode;
        EXPECT_TRUE(engine.state(image).loadMode) << "TP mode " << int(mode);
    }
}

TEST(UnitOptions, EveryOptionInTheUsageTextIsUnderstood)
{
    const std::string usage = unitUsage();
    const std::regex option("--[a-z-]+");
    std::set<std::string> seen;
    for (auto it = std::sregex_iterator(usage.begin(), usage.end(), option);
         it != std::sregex_iterator(); ++it)
        seen.insert(it->str());
    ASSERT_GE(seen.size(), 25u);
    for (const std::string &name : seen) {
        const std::string withValue = name + "=1";
        const ParsedOptions p = parse({withValue});
        EXPECT_EQ(p.error.find("unknown option"), std::string::npos) << name << ": " << p.error;
    }
}

} // namespace
} // namespace velmora::sim
