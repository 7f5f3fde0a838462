// The file sink: rows reach the disk on the sink's thread, a failed write stops it, and what was
// written survives the program.
#include "../files/temp_folder.h"

#include "log/log_sink.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace velmora;
using log::LogSink;
using namespace std::chrono_literals;

namespace {

// Polls `done` until it holds or the deadline passes.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds deadline = 10s)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

std::string contents(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int openFor(const std::filesystem::path &path)
{
    const log::OpenedLog opened = log::openLogFile(path);
    EXPECT_EQ(opened.error, 0);
    return opened.fd;
}

constexpr LogSink::Timing kSlow{std::chrono::hours(1), 100};

} // namespace

TEST(LogSinkTest, RowsReachTheFileWithinTheFlushInterval)
{
    test::TempFolder folder;
    const auto path = folder.path() / "ride.csv";
    LogSink sink(openFor(path));
    sink.append("header\n");
    sink.append("row 1\n");
    EXPECT_TRUE(waitFor([&] { return contents(path) == "header\nrow 1\n"; }));
    sink.append("row 2\n");
    EXPECT_TRUE(waitFor([&] { return contents(path) == "header\nrow 1\nrow 2\n"; }));
    EXPECT_EQ(sink.bytesWritten(), sink.bytesAppended());
    EXPECT_EQ(sink.failure(), 0);
}

TEST(LogSinkTest, MuchPendingGoesOutAtOnceAndCloseWritesTheRest)
{
    test::TempFolder folder;
    const auto path = folder.path() / "ride.csv";
    LogSink sink(openFor(path), kSlow);
    const std::string much(150, 'x');
    sink.append(much);
    // Within the hour only because so much waits.
    ASSERT_TRUE(waitFor([&] { return sink.bytesWritten() == much.size(); }));
    sink.append("tail\n");
    EXPECT_EQ(sink.bytesWritten(), much.size());
    sink.close();
    EXPECT_EQ(contents(path), much + "tail\n");
    sink.append("after close\n");
    sink.close();
    EXPECT_EQ(contents(path), much + "tail\n");
}

TEST(LogSinkTest, AFullDiskStopsTheSinkAndSaysWhy)
{
    LogSink sink(openFor("/dev/full"), kSlow);
    sink.append(std::string(200, 'x'));
    ASSERT_TRUE(waitFor([&] { return sink.failure() != 0; }));
    EXPECT_EQ(sink.failure(), ENOSPC);
    EXPECT_EQ(sink.bytesWritten(), 0u);
    sink.append("more\n"); // dropped, and nothing waits on it
    EXPECT_EQ(sink.bytesAppended(), 200u);
    sink.close();
    EXPECT_EQ(sink.failure(), ENOSPC);
}

TEST(LogSinkTest, WrittenRowsSurviveAnAbortedProgram)
{
    test::TempFolder folder;
    const auto path = folder.path() / "crash.csv";
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        const log::OpenedLog opened = log::openLogFile(path);
        if (opened.fd < 0)
            _exit(2);
        LogSink sink(opened.fd); // flushed by its clock, not by much pending
        sink.append("header\n");
        sink.append("row 1\n");
        if (!waitFor([&] { return sink.bytesWritten() == sink.bytesAppended(); }))
            _exit(3);
        sink.append("never written\n");
        std::abort();
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGABRT);
    EXPECT_EQ(contents(path), "header\nrow 1\n");
}

TEST(LogSinkTest, NewLogsAreNamedByTheTimeAndNeverReplaceAFile)
{
    test::TempFolder folder;
    const auto logs = folder.path() / "velmora" / "logs";
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 11;
    local.tm_mday = 9;
    local.tm_hour = 10;
    local.tm_min = 35;
    local.tm_sec = 12;
    local.tm_isdst = -1;
    const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));

    const log::OpenedLog first = log::createLogIn(logs, when);
    ASSERT_EQ(first.error, 0);
    EXPECT_EQ(first.path, logs / "velmora-2026-12-09-103512.csv");
    ASSERT_EQ(::write(first.fd, "kept", 4), 4);
    ::close(first.fd);
    const log::OpenedLog second = log::createLogIn(logs, when);
    ASSERT_EQ(second.error, 0);
    EXPECT_EQ(second.path, logs / "velmora-2026-12-09-103512-2.csv");
    ::close(second.fd);
    EXPECT_EQ(contents(first.path), "kept");

    // A folder that cannot be made: a file stands where it would go, which stops root too.
    const log::OpenedLog refused = log::createLogIn(first.path / "logs", when);
    EXPECT_EQ(refused.fd, -1);
    EXPECT_NE(refused.error, 0);
}
