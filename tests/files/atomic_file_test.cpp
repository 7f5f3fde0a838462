#include "files/atomic_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace velmora::files;

namespace {
std::string contents(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
std::size_t entries(const std::filesystem::path &dir)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                                  std::filesystem::directory_iterator()));
}
} // namespace

TEST(AtomicFile, ReplacesTheFileOnlyWhenComplete)
{
    velmora::test::TempFolder folder;
    const auto target = folder.path() / "set.ign";
    ASSERT_EQ(saveAtomically(target, "first"), SaveResult::Saved);
    EXPECT_EQ(contents(target), "first");
    ASSERT_EQ(saveAtomically(target, "second, longer"), SaveResult::Saved);
    EXPECT_EQ(contents(target), "second, longer");
    EXPECT_EQ(entries(folder.path()), 1u); // no temporary file left behind

    {
        AtomicFile file(target);
        ASSERT_TRUE(file.create());
        EXPECT_EQ(contents(target), "second, longer"); // untouched until the commit
    } // given up: the temporary file goes, the old file stays
    EXPECT_EQ(contents(target), "second, longer");
    EXPECT_EQ(entries(folder.path()), 1u);
}

TEST(AtomicFile, FailuresLeaveWhatStoodThere)
{
    velmora::test::TempFolder folder;
    EXPECT_EQ(saveAtomically(folder.path() / "missing" / "set.ign", "x"), SaveResult::CannotCreate);

    // A folder in the way of the file is neither replaced nor written into.
    const auto inTheWay = folder.path() / "in the way.ign";
    std::filesystem::create_directory(inTheWay);
    std::ofstream(inTheWay / "keep") << "kept";
    EXPECT_EQ(saveAtomically(inTheWay, "x"), SaveResult::CannotCreate);
    EXPECT_EQ(contents(inTheWay / "keep"), "kept");
    EXPECT_EQ(entries(folder.path()), 1u);
}
