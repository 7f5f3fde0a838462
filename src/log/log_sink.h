#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace velmora::log {

// The rows of a log go into memory and a thread of the sink's own writes them to the file, so
// the caller never waits for the disk. Each write goes out with write(2) at once: what was written
// survives a crash of the program. A failed write stops the sink for good; the file keeps what
// went out before it, and the owner finds the failure by asking.
class LogSink {
public:
    struct Timing {
        std::chrono::milliseconds interval{1000}; // pending rows go out at least this often
        std::size_t soonBytes = 64 * 1024;        // and sooner when this much waits
    };

    // Takes over `fd`, open for writing, and closes it.
    explicit LogSink(int fd, Timing timing);
    explicit LogSink(int fd) : LogSink(fd, Timing{}) {}
    ~LogSink();
    LogSink(const LogSink &) = delete;
    LogSink &operator=(const LogSink &) = delete;

    // Queues `rows`; dropped once the sink has failed or closed.
    void append(std::string_view rows);
    // Writes what is pending, ends the thread and closes the file; safe to call more than once.
    void close();

    // 0 while every write went out; else the errno of the one that failed.
    int failure() const { return m_failure.load(); }
    std::uint64_t bytesAppended() const { return m_appended.load(); }
    std::uint64_t bytesWritten() const { return m_written.load(); }

private:
    void run();
    // 0, or the errno of the write that failed.
    int writeAll(std::string_view bytes);

    int m_fd;
    Timing m_timing;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::string m_pending;
    bool m_closing = false;
    std::atomic<int> m_failure{0};
    std::atomic<std::uint64_t> m_appended{0};
    std::atomic<std::uint64_t> m_written{0};
    std::thread m_thread;
};

// A file opened for a log: its descriptor, or -1 and the errno that refused it.
struct OpenedLog {
    std::filesystem::path path;
    int fd = -1;
    int error = 0;
};

// Opens `path` for writing from its start, made when missing.
OpenedLog openLogFile(const std::filesystem::path &path);
// A new log in `folder` (made when needed), named by the local time `when`
// ("velmora-2026-12-09-103512.csv"); an existing file is never opened: "-2", "-3"... follow the
// name instead.
OpenedLog createLogIn(const std::filesystem::path &folder,
                      std::chrono::system_clock::time_point when);

} // namespace velmora::log
