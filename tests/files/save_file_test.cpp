#include "files/save_file.h"

#include "file_size_limit.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <grp.h>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora::files;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void writeText(const fs::path &p, const std::string &text)
{
    std::ofstream(p, std::ios::binary) << text;
}
std::size_t entries(const fs::path &dir)
{
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}
unsigned mode(const fs::path &p)
{
    return static_cast<unsigned>(fs::status(p).permissions() & fs::perms::mask);
}
void setMode(const fs::path &p, unsigned mode)
{
    fs::permissions(p, static_cast<fs::perms>(mode));
}
bool isRoot()
{
    return ::geteuid() == 0;
}

constexpr uid_t kNobody = 65534;

// Runs `save` as a user for whom `folder` takes no new file while `file` in it stays writable.
// Root ignores a folder's permissions, so a root test runs `save` in a child process that first
// becomes the unprivileged user nobody. Nothing when that user cannot be taken or cannot reach
// the file.
std::optional<SaveResult> inFolderTakingNoNewFile(const fs::path &folder, const fs::path &file,
                                                  const std::function<SaveResult()> &save)
{
    constexpr int kNoUser = 100;
    std::optional<SaveResult> result;
    ::chmod(folder.c_str(), 0555);
    if (!isRoot()) {
        result = save();
    } else if (::chown(file.c_str(), kNobody, kNobody) == 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 ||
                ::access(file.c_str(), W_OK) != 0)
                ::_exit(kNoUser);
            ::_exit(static_cast<int>(save()));
        }
        int status = 0;
        if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
            WEXITSTATUS(status) < kNoUser)
            result = static_cast<SaveResult>(WEXITSTATUS(status));
    }
    ::chmod(folder.c_str(), 0755);
    return result;
}

} // namespace

TEST(SaveFile, ReplacesTheFileOnlyWhenComplete)
{
    velmora::test::TempFolder folder;
    const auto target = folder.path() / "set.ign";
    ASSERT_EQ(saveFile(target, "first"), SaveResult::Saved);
    EXPECT_EQ(contents(target), "first");
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(mode(target), 0666u & ~mask); // a new file gets the usual permissions
    ASSERT_EQ(saveFile(target, "second, longer"), SaveResult::Saved);
    EXPECT_EQ(contents(target), "second, longer");
    EXPECT_EQ(entries(folder.path()), 1u); // no temporary file left behind

    {
        SaveFile file(target);
        ASSERT_TRUE(file.create());
        EXPECT_FALSE(file.inPlace());
        EXPECT_EQ(contents(target), "second, longer"); // untouched until the commit
    } // given up: the temporary file goes, the old file stays
    EXPECT_EQ(contents(target), "second, longer");
    EXPECT_EQ(entries(folder.path()), 1u);
}

TEST(SaveFile, FailuresLeaveWhatStoodThere)
{
    velmora::test::TempFolder folder;
    EXPECT_EQ(saveFile(folder.path() / "missing" / "set.ign", "x"), SaveResult::CannotCreate);

    // A folder in the way of the file is neither replaced nor written into, also at the end of
    // a link.
    const auto inTheWay = folder.path() / "in the way.ign";
    fs::create_directory(inTheWay);
    writeText(inTheWay / "keep", "kept");
    fs::create_symlink("in the way.ign", folder.path() / "to folder.ign");
    EXPECT_EQ(saveFile(inTheWay, "x"), SaveResult::CannotCreate);
    EXPECT_EQ(saveFile(folder.path() / "to folder.ign", "x"), SaveResult::CannotCreate);
    EXPECT_EQ(contents(inTheWay / "keep"), "kept");

    // Links that lead round in a circle lead nowhere.
    fs::create_symlink("b.ign", folder.path() / "a.ign");
    fs::create_symlink("a.ign", folder.path() / "b.ign");
    EXPECT_EQ(saveFile(folder.path() / "a.ign", "x"), SaveResult::CannotCreate);
    EXPECT_TRUE(fs::is_symlink(folder.path() / "a.ign"));
    EXPECT_EQ(entries(folder.path()), 4u);

    // A pipe nobody reads from is refused at once instead of holding the program.
    const auto pipe = folder.path() / "pipe.ign";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(saveFile(pipe, "x"), SaveResult::CannotCreate);
}

TEST(SaveFile, WritesTheFileAtTheEndOfALinkChainAndKeepsTheLinks)
{
    velmora::test::TempFolder folder;
    fs::create_directory(folder.path() / "real");
    fs::create_directory(folder.path() / "links");
    const auto real = folder.path() / "real" / "set.ign";
    writeText(real, "old");
    setMode(real, 0640);
    fs::create_symlink(real, folder.path() / "links" / "absolute.ign");
    fs::create_symlink("absolute.ign", folder.path() / "links" / "relative.ign");

    ASSERT_EQ(saveFile(folder.path() / "links" / "relative.ign", "new"), SaveResult::Saved);
    EXPECT_EQ(contents(real), "new");
    EXPECT_EQ(mode(real), 0640u);
    EXPECT_TRUE(fs::is_symlink(folder.path() / "links" / "relative.ign"));
    EXPECT_TRUE(fs::is_symlink(folder.path() / "links" / "absolute.ign"));
    EXPECT_EQ(entries(folder.path() / "links"), 2u);
    EXPECT_EQ(entries(folder.path() / "real"), 1u);

    // A link to a file not there yet creates it, unless its folder is missing too.
    fs::create_symlink("../real/later.ign", folder.path() / "links" / "dangling.ign");
    ASSERT_EQ(saveFile(folder.path() / "links" / "dangling.ign", "later"), SaveResult::Saved);
    EXPECT_EQ(contents(folder.path() / "real" / "later.ign"), "later");
    EXPECT_TRUE(fs::is_symlink(folder.path() / "links" / "dangling.ign"));
    fs::create_symlink("../gone/x.ign", folder.path() / "links" / "nowhere.ign");
    EXPECT_EQ(saveFile(folder.path() / "links" / "nowhere.ign", "x"), SaveResult::CannotCreate);
}

TEST(SaveFile, RefusesAReadOnlyFile)
{
    velmora::test::TempFolder folder;
    const auto target = folder.path() / "locked.ign";
    writeText(target, "locked");
    setMode(target, 0444);
    fs::create_symlink("locked.ign", folder.path() / "link.ign");
    EXPECT_EQ(saveFile(target, "x"), SaveResult::CannotCreate);
    EXPECT_EQ(saveFile(folder.path() / "link.ign", "x"), SaveResult::CannotCreate);
    EXPECT_EQ(contents(target), "locked");
    EXPECT_EQ(mode(target), 0444u);
    EXPECT_EQ(entries(folder.path()), 2u);

    // Root may write what only its group may write; its owner may not.
    const auto groupOnly = folder.path() / "group.ign";
    writeText(groupOnly, "group");
    setMode(groupOnly, 0464);
    EXPECT_EQ(saveFile(groupOnly, "x"), isRoot() ? SaveResult::Saved : SaveResult::CannotCreate);
    EXPECT_EQ(contents(groupOnly), isRoot() ? "x" : "group");
}

TEST(SaveFile, KeepsPermissionsAndOwner)
{
    velmora::test::TempFolder folder;
    for (const unsigned kept : {0600u, 0640u, 0755u, 0622u}) {
        const auto target = folder.path() / ("set" + std::to_string(kept) + ".ign");
        writeText(target, "old");
        setMode(target, kept);
        ASSERT_EQ(saveFile(target, "new"), SaveResult::Saved);
        EXPECT_EQ(contents(target), "new");
        EXPECT_EQ(mode(target), kept);
    }
    if (!isRoot())
        return; // only root may give a file away
    const auto foreign = folder.path() / "foreign.ign";
    writeText(foreign, "old");
    ASSERT_EQ(::chown(foreign.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(saveFile(foreign, "new"), SaveResult::Saved);
    struct stat st = {};
    ASSERT_EQ(::stat(foreign.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
}

TEST(SaveFile, WritesInPlaceWhereTheFolderTakesNoNewFile)
{
    velmora::test::TempFolder folder;
    const auto target = folder.path() / "set.ign";
    writeText(target, "the old content, longer than the new");
    setMode(target, 0644);
    const auto saved = inFolderTakingNoNewFile(folder.path(), target, [&] {
        SaveFile file(target);
        if (!file.create() || !file.inPlace())
            return SaveResult::CannotCreate;
        return file.commit("new");
    });
    if (!saved)
        GTEST_SKIP() << "no unprivileged user to take";
    EXPECT_EQ(*saved, SaveResult::Saved);
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(mode(target), 0644u);
    EXPECT_EQ(entries(folder.path()), 1u);

    // Giving up in place leaves the file whole; a new file there cannot be made at all.
    const auto abandoned = inFolderTakingNoNewFile(folder.path(), target, [&] {
        SaveFile file(target);
        return file.create() && file.inPlace() ? SaveResult::Saved : SaveResult::CannotCreate;
    });
    EXPECT_EQ(abandoned, SaveResult::Saved);
    EXPECT_EQ(contents(target), "new");
    const auto refused = inFolderTakingNoNewFile(
        folder.path(), target, [&] { return saveFile(folder.path() / "new.ign", "x"); });
    EXPECT_EQ(refused, SaveResult::CannotCreate);
    EXPECT_EQ(entries(folder.path()), 1u);
}

TEST(SaveFile, FailedWriteInPlaceIsNotCalledHarmless)
{
    velmora::test::TempFolder folder;
    const auto target = folder.path() / "set.ign";
    writeText(target, "old");
    const auto failed = inFolderTakingNoNewFile(folder.path(), target, [&] {
        const velmora::test::FileSizeLimit limit(8);
        return limit.active() ? saveFile(target, std::string(100, 'x')) : SaveResult::Saved;
    });
    if (!failed)
        GTEST_SKIP() << "no unprivileged user to take";
    EXPECT_EQ(*failed, SaveResult::WriteFailedInPlace);
    EXPECT_EQ(contents(target), std::string(8, 'x')); // what got there before the failure

    // A device is written where it stands: a rename would replace the device node.
    const fs::path full = "/dev/full";
    if (!fs::is_character_file(full))
        GTEST_SKIP() << "no " << full;
    fs::create_symlink(full, folder.path() / "full.ign");
    SaveFile file(folder.path() / "full.ign");
    ASSERT_TRUE(file.create());
    EXPECT_TRUE(file.inPlace());
    EXPECT_EQ(file.commit("x"), SaveResult::WriteFailedInPlace);
    EXPECT_TRUE(fs::is_symlink(folder.path() / "full.ign"));
    EXPECT_TRUE(fs::is_character_file(full));
}

TEST(SaveFile, FailedWriteThroughATemporaryFileKeepsTheOldFile)
{
    velmora::test::TempFolder folder;
    const auto target = folder.path() / "set.ign";
    writeText(target, "old");
    setMode(target, 0600);
    {
        const velmora::test::FileSizeLimit limit(8);
        ASSERT_TRUE(limit.active());
        EXPECT_EQ(saveFile(target, std::string(100, 'x')), SaveResult::WriteFailed);
    }
    EXPECT_EQ(contents(target), "old");
    EXPECT_EQ(mode(target), 0600u);
    EXPECT_EQ(entries(folder.path()), 1u);
}
