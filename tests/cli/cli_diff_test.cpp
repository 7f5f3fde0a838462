// velmora-cli diff: parameter files, image files and the unit against each other.
#include "cli_test_support.h"

#include "../files/temp_folder.h"

#include "cli/image_builder.h"
#include "files/image_file.h"
#include "files/parameter_file.h"
#include "memory_unit.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::runTool;

namespace {

class CliDiffTest : public ::testing::Test {
protected:
    static DeviceImage defaults(std::uint8_t model) { return cli::defaultSet(model); }
    std::string ign(const char *name, const DeviceImage &image, bool extendedMonitor = false)
    {
        const std::string p = path(name);
        EXPECT_TRUE(files::saveParameterFile(p, image, extendedMonitor));
        return p;
    }
    std::string img(const char *name, const DeviceImage &image)
    {
        const std::string p = path(name);
        EXPECT_TRUE(files::saveImageFile(p, image));
        return p;
    }
    std::string path(const char *name) const { return (folder.path() / name).string(); }
    velmora::test::CliRun diff(const std::string &a, const std::string &b,
                               std::vector<std::string> more = {}) const
    {
        std::vector<std::string> args{"diff", a, b};
        args.insert(args.end(), more.begin(), more.end());
        if (!unit)
            return runTool(args);
        // A read made only to compare is kept nowhere.
        cli::UnitAccess access = unit->access();
        access.historyFolder = historyFolder();
        return runTool(args, access);
    }
    std::filesystem::path historyFolder() const { return folder.path() / "history"; }

    velmora::test::TempFolder folder;
    std::unique_ptr<velmora::test::MemoryUnit> unit;
};

} // namespace

TEST_F(CliDiffTest, EqualSetsPrintNothingAndExitZero)
{
    const DeviceImage set = defaults(2);
    const auto same = diff(ign("a.ign", set), ign("b.ign", set, true)); // EXT_MON is no part
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_TRUE(same.out.empty());
    EXPECT_TRUE(same.err.empty());

    const auto images = diff(img("a.img", set), img("b.img", set));
    EXPECT_EQ(images.code, 0);
    EXPECT_TRUE(images.out.empty());
}

TEST_F(CliDiffTest, AChangedAxisValueAndMapCellAreNamedByKeywordAndPlace)
{
    const DeviceImage a = defaults(0);
    DeviceImage b = a;
    b[kRpmJetTpi + 4] = static_cast<std::uint8_t>(a[kRpmJetTpi + 4] + 1);
    const auto axis = diff(ign("a.ign", a), ign("b.ign", b));
    EXPECT_EQ(axis.code, 1);
    EXPECT_EQ(axis.out, "RPM_JET_TPi[4] " + std::to_string(a[kRpmJetTpi + 4] * 100) + " -> " +
                            std::to_string(b[kRpmJetTpi + 4] * 100) + "\n");

    DeviceImage c = a;
    c[kJetIap + 37] = static_cast<std::uint8_t>(a[kJetIap + 37] - 3);
    c[kRpmCorrection] = 97;
    const auto cell = diff(ign("a.ign", a), ign("c.ign", c));
    EXPECT_EQ(cell.code, 1);
    EXPECT_EQ(cell.out, "RPM[1] " + std::to_string(a[kRpmCorrection] - 100) + " -> -3\n" +
                            "JET_IAP[37] " + std::to_string(a[kJetIap + 37]) + " -> " +
                            std::to_string(c[kJetIap + 37]) + "\n");
    // The other way round the sides swap.
    EXPECT_EQ(diff(ign("c.ign", c), ign("a.ign", a)).out,
              "RPM[1] -3 -> " + std::to_string(a[kRpmCorrection] - 100) + "\n" + "JET_IAP[37] " +
                  std::to_string(c[kJetIap + 37]) + " -> " + std::to_string(a[kJetIap + 37]) +
                  "\n");
}

TEST_F(CliDiffTest, ImagesDifferingInTheIdentityBlockDifferByBytes)
{
    const DeviceImage a = defaults(1);
    DeviceImage b = a;
    b[id::kName + 1] = 'Q';
    b[id::kMonth] = static_cast<std::uint8_t>(a[id::kMonth] + 1);
    b[kReserved[9].first + 2] = 77; // a reserved byte of the parameter set
    const auto run = diff(img("a.img", a), img("b.img", b));
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "BYTE[1] " + std::to_string(a[id::kName + 1]) + " -> 81\n" + "BYTE[5] " +
                           std::to_string(a[id::kMonth]) + " -> " + std::to_string(b[id::kMonth]) +
                           "\nBYTE[292] " + std::to_string(a[kReserved[9].first + 2]) + " -> 77\n");
}

TEST_F(CliDiffTest, AParameterFileAgainstAnImageComparesTheFilesNumbersAlone)
{
    const DeviceImage set = defaults(4);
    DeviceImage image = set;
    image[id::kVersion] = 9; // the identity block the file lacks
    image[kReserved[0].first] = 5;
    image[kWaterTemp + 2] = static_cast<std::uint8_t>(set[kWaterTemp + 2] + 1);
    const auto run = diff(ign("set.ign", set), img("unit.img", image));
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "WATER_TEMP[2] " + std::to_string(set[kWaterTemp + 2]) + " -> " +
                           std::to_string(image[kWaterTemp + 2]) + "\n");
    // A parameter file is built as convert builds it, with the consistency pass; an image is
    // taken as it is, so a speed below the limiter's least stays there.
    DeviceImage odd = set;
    odd[kLimiter2] = 1;
    const auto built = diff(ign("odd.ign", odd), img("odd.img", odd));
    EXPECT_EQ(built.code, 1);
    EXPECT_EQ(built.out, "LIMITER2[0] 1000 -> 100\n");
}

TEST_F(CliDiffTest, TroubleExitsWithTwoAndSaysWhy)
{
    const std::string good = ign("good.ign", defaults(0));
    const auto missing = diff(good, path("missing.img"));
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_EQ(missing.err, "Open file error!\n");

    std::ofstream(path("old.ign")) << "KORVANTA_KEY 42\nRPM_ADV 1 2 3\n";
    const auto rejected = runTool({"--language", "DEUTSCH", "diff", path("old.ign"), good});
    EXPECT_EQ(rejected.code, 2);
    EXPECT_EQ(rejected.err, "Uneinig Version der Datendatei *.ign!\n");

    std::ofstream(path("short.img")) << "1 2 3\n";
    const auto shortImage = diff(path("short.img"), img("full.img", defaults(0)));
    EXPECT_EQ(shortImage.code, 2);
    EXPECT_EQ(shortImage.err, "The image file does not hold all 600 bytes!\n");

    EXPECT_EQ(runTool({"diff", good}).code, 2);
    EXPECT_EQ(runTool({"diff", good, good, good}).code, 2);
    EXPECT_EQ(runTool({"diff", good, "unit"}).code, 2) << "the unit needs a device";
    const auto noDevice = diff(good, "unit", {"--device", "/nonexistent/velmora-port"});
    EXPECT_EQ(noDevice.code, 2);
    EXPECT_EQ(noDevice.err.rfind("Com opening error\n", 0), 0u);
}

TEST_F(CliDiffTest, TheUnitIsReadAsReadDoes)
{
    unit = std::make_unique<velmora::test::MemoryUnit>(sim::FaultPlan{.pace = false});
    DeviceImage held = unit->image();
    held[kAdvance + 3] = 21;
    unit->setImage(held);
    const DeviceImage unitSet = unit->image();

    const auto same = diff("unit", img("copy.img", unitSet), {"--device", unit->device()});
    EXPECT_EQ(same.code, 0) << same.err << same.out;
    EXPECT_TRUE(same.out.empty());
    EXPECT_NE(same.err.find("Verify device: block 6 of 6"), std::string::npos) << same.err;
    EXPECT_FALSE(std::filesystem::exists(historyFolder()));

    DeviceImage mine = unitSet;
    mine[kLimiter2] = static_cast<std::uint8_t>(unitSet[kLimiter2] - 1);
    mine[id::kHour] = static_cast<std::uint8_t>(unitSet[id::kHour] + 1);
    const auto changed = diff(img("mine.img", mine), "unit", {"--device", unit->device()});
    EXPECT_EQ(changed.code, 1);
    EXPECT_EQ(changed.out, "LIMITER2[0] " + std::to_string(mine[kLimiter2] * 100) + " -> " +
                               std::to_string(unitSet[kLimiter2] * 100) + "\nBYTE[7] " +
                               std::to_string(mine[id::kHour]) + " -> " +
                               std::to_string(unitSet[id::kHour]) + "\n");

    sim::IdentityBlock refusing;
    refusing.readPermission = 0;
    unit->setIdentity(refusing);
    const auto refused = diff("unit", img("mine.img", mine), {"--device", unit->device()});
    EXPECT_EQ(refused.code, 2);
    EXPECT_TRUE(refused.out.empty());
    EXPECT_NE(refused.err.find("No Reading!\n"), std::string::npos) << refused.err;
}
