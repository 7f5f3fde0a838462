// The commands that work on files only.
#include "cli_test_support.h"

#include "../files/file_size_limit.h"
#include "../files/temp_folder.h"

#include "files/image_file.h"
#include "files/parameter_file.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

#include <gtest/gtest.h>

using namespace velmora;
using velmora::test::fileText;
using velmora::test::runTool;

namespace {

DeviceImage modelDefaults(std::uint8_t model)
{
    DeviceImage image;
    image[layout::kBike] = model;
    applyDefaults(image);
    applyModelConstants(image);
    consistencyPass(image);
    return image;
}

class CliFilesTest : public ::testing::Test {
protected:
    std::string path(const char *name) const { return (folder.path() / name).string(); }
    velmora::test::TempFolder folder;
};

} // namespace

TEST_F(CliFilesTest, DefaultsOfModelZeroGoToStandardOutput)
{
    const auto run = runTool({"defaults", "--model", "0"});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, files::writeParameterText(modelDefaults(0), false));
    EXPECT_TRUE(run.err.empty());
}

TEST_F(CliFilesTest, DefaultsOfModelThreeGoToTheNamedFile)
{
    const auto run = runTool({"defaults", "--model", "3", "-o", path("m3.ign")});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.out.empty());
    const std::string expected = files::writeParameterText(modelDefaults(3), false);
    EXPECT_EQ(fileText(path("m3.ign")), expected);
    EXPECT_NE(expected, files::writeParameterText(modelDefaults(0), false));
}

TEST_F(CliFilesTest, DefaultsRefuseAModelOutsideTheBox)
{
    EXPECT_EQ(runTool({"defaults", "--model", "5"}).code, 2);
    EXPECT_EQ(runTool({"defaults", "--model", "-1"}).code, 2);
    EXPECT_EQ(runTool({"defaults", "--model", "1x"}).code, 2);
    const auto missing = runTool({"defaults"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.out.empty());
    EXPECT_NE(missing.err.find("Usage: velmora-cli defaults"), std::string::npos);
}

TEST_F(CliFilesTest, ConvertRoundTripsThroughAnImageFile)
{
    DeviceImage original = modelDefaults(3);
    original[layout::kAdvance + 1] = 17;
    consistencyPass(original);
    ASSERT_TRUE(files::saveParameterFile(path("in.ign"), original, true));

    ASSERT_EQ(runTool({"convert", path("in.ign"), "--to", "image", "-o", path("mid.img")}).code, 0);
    DeviceImage middle;
    ASSERT_EQ(files::loadImageFile(path("mid.img"), middle), layout::kImageSize);
    EXPECT_EQ(middle[layout::kBike], 3);
    EXPECT_EQ(middle[layout::kAdvance + 1], 17);

    const auto back = runTool({"convert", path("mid.img"), "--from", "image"});
    EXPECT_EQ(back.code, 0);
    // An image file has no EXT_MON, so it comes back as 0.
    EXPECT_EQ(back.out, files::writeParameterText(original, false));

    const auto direct = runTool({"convert", path("in.ign")});
    EXPECT_EQ(direct.out, files::writeParameterText(original, true));
}

TEST_F(CliFilesTest, ConvertKeepsTheBaseImageWhereTheParameterFileIsSilent)
{
    DeviceImage base = modelDefaults(1);
    base[101] = 77; // a reserved byte: no parameter file line carries it
    base[layout::id::kVersion] = 9;
    ASSERT_TRUE(files::saveImageFile(path("base.img"), base));
    ASSERT_TRUE(files::saveParameterFile(path("in.ign"), modelDefaults(1), false));

    const auto run =
        runTool({"convert", path("in.ign"), "--base", path("base.img"), "--to", "image"});
    ASSERT_EQ(run.code, 0);
    DeviceImage out;
    ASSERT_EQ(files::readImageText(run.out, out), layout::kImageSize);
    EXPECT_EQ(out[101], 77);
    EXPECT_EQ(out[layout::id::kVersion], 9);

    const auto without = runTool({"convert", path("in.ign"), "--to", "image"});
    DeviceImage plain;
    files::readImageText(without.out, plain);
    EXPECT_EQ(plain[101], modelDefaults(0)[101]);
}

TEST_F(CliFilesTest, ConvertAppliesTheConstantsOfTheFilesModel)
{
    // A file naming only the model: the values stay those of the model-0 set, the hidden
    // constants become those of the named model.
    const DeviceImage three = modelDefaults(3);
    const DeviceImage zero = modelDefaults(0);
    auto constants = [](const DeviceImage &image) {
        return std::array<int, 3>{image[layout::kModelByte110], image[layout::kModelByte125],
                                  image[layout::kModelByte126]};
    };
    ASSERT_NE(constants(three), constants(zero));
    {
        std::ofstream(path("bike.ign"), std::ios::binary) << "KORVANTA_KEY 43\r\nBIKE 3\r\n";
    }
    const auto run = runTool({"convert", path("bike.ign"), "--to", "image"});
    ASSERT_EQ(run.code, 0);
    DeviceImage out;
    files::readImageText(run.out, out);
    EXPECT_EQ(out[layout::kBike], 3);
    EXPECT_EQ(constants(out), constants(three));
}

TEST_F(CliFilesTest, RejectedParameterFileIsReported)
{
    {
        std::ofstream(path("old.ign")) << "KORVANTA_KEY 42\r\nADVANCE 1 2 3\r\n";
    }
    const auto run = runTool({"convert", path("old.ign"), "-o", path("out.ign")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "Unmatched version of *.ign file!\n");
    EXPECT_FALSE(std::filesystem::exists(path("out.ign")));
}

TEST_F(CliFilesTest, MissingFileIsReportedInTheChosenLanguage)
{
    const auto english = runTool({"convert", path("none.ign")});
    EXPECT_EQ(english.code, 1);
    EXPECT_EQ(english.err, "Open file error!\n");
    EXPECT_TRUE(english.out.empty());

    const auto german = runTool({"--language", "DEUTSCH", "convert", path("none.ign")});
    EXPECT_EQ(german.err, "Fehler beim öffnen der Datei!\n");
    const auto base =
        runTool({"--language", "CESKY", "convert", path("none.ign"), "--base", path("none.img")});
    EXPECT_EQ(base.err, "Chyba při otevírání souboru!\n");
}

TEST_F(CliFilesTest, OutputThatCannotBeCreatedIsAnOpenError)
{
    namespace fs = std::filesystem;
    fs::create_directory(path("folder.ign"));
    std::ofstream(path("locked.ign")) << "locked";
    fs::permissions(path("locked.ign"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ASSERT_TRUE(files::saveParameterFile(path("in.ign"), modelDefaults(1), false));
    for (const std::string &out : {path("missing/x.ign"), path("folder.ign"), path("locked.ign")}) {
        const auto defaults = runTool({"defaults", "--model", "0", "-o", out});
        EXPECT_EQ(defaults.code, 1) << out;
        EXPECT_EQ(defaults.err, "Open file error!\n") << out;
        const auto image = runTool(
            {"--language", "DEUTSCH", "convert", path("in.ign"), "--to", "image", "-o", out});
        EXPECT_EQ(image.code, 1) << out;
        EXPECT_EQ(image.err, "Fehler beim öffnen der Datei!\n") << out;
    }
    EXPECT_EQ(fileText(path("locked.ign")), "locked");
    EXPECT_TRUE(fs::is_directory(path("folder.ign")));
}

TEST_F(CliFilesTest, OutputWriteFailureSaysWhetherTheOldFileStayed)
{
    std::ofstream(path("old.ign")) << "old";
    {
        const velmora::test::FileSizeLimit limit(8);
        ASSERT_TRUE(limit.active());
        const auto run = runTool({"defaults", "--model", "0", "-o", path("old.ign")});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, "Write file error! The previous file is unchanged.\n");
    }
    EXPECT_EQ(fileText(path("old.ign")), "old");

    // A device is written where it stands, so nothing is said about what it held.
    const std::filesystem::path full = "/dev/full";
    if (!std::filesystem::is_character_file(full))
        GTEST_SKIP() << "no " << full;
    std::filesystem::create_symlink(full, path("full.ign"));
    const auto run =
        runTool({"--language", "CESKY", "defaults", "--model", "0", "-o", path("full.ign")});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "Chyba při zápisu souboru!\n");
}

TEST_F(CliFilesTest, UsageErrorsExitWithTwo)
{
    const auto language = runTool({"--language", "KLINGON", "defaults", "--model", "0"});
    EXPECT_EQ(language.code, 2);
    EXPECT_TRUE(language.out.empty());
    EXPECT_NE(language.err.find("Usage: velmora-cli"), std::string::npos);

    EXPECT_EQ(runTool({"frobnicate"}).code, 2);
    EXPECT_EQ(runTool({}).code, 2);
    EXPECT_EQ(runTool({"defaults", "--model", "0", "--frob"}).code, 2);
    EXPECT_EQ(runTool({"convert"}).code, 2);
    EXPECT_EQ(runTool({"convert", "a.ign", "b.ign"}).code, 2);
    EXPECT_EQ(runTool({"convert", "a.ign", "--to", "text"}).code, 2);
    EXPECT_EQ(runTool({"defaults", "--model"}).code, 2);
    EXPECT_EQ(runTool({"read", "--port", "11"}).code, 2);
    EXPECT_EQ(runTool({"read", "--port", "0"}).code, 2);
    EXPECT_EQ(runTool({"read"}).code, 2);
    EXPECT_EQ(runTool({"read", "--port", "1", "--device", "/dev/null"}).code, 2);
    EXPECT_EQ(runTool({"monitor", "--device", "/dev/null", "--count", "0"}).code, 2);
}

TEST_F(CliFilesTest, HelpOfEveryCommandGoesToStandardOutput)
{
    for (const char *command :
         {"defaults", "convert", "read", "verify", "program", "monitor", "diff"}) {
        const auto run = runTool({command, "--help"});
        EXPECT_EQ(run.code, 0) << command;
        EXPECT_EQ(run.out.rfind(std::string("Usage: velmora-cli ") + command, 0), 0u) << command;
        EXPECT_TRUE(run.err.empty()) << command;
    }
    const auto tool = runTool({"--help"});
    EXPECT_EQ(tool.code, 0);
    EXPECT_NE(tool.out.find("monitor"), std::string::npos);
}
