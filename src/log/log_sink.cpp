#include "log_sink.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace velmora::log {

LogSink::LogSink(int fd, Timing timing) : m_fd(fd), m_timing(timing)
{
    m_thread = std::thread(&LogSink::run, this);
}

LogSink::~LogSink()
{
    close();
}

void LogSink::append(std::string_view rows)
{
    bool wake = false;
    {
        const std::lock_guard lock(m_mutex);
        if (m_closing || m_failure.load() != 0)
            return;
        m_pending.append(rows);
        m_appended += rows.size();
        wake = m_pending.size() >= m_timing.soonBytes;
    }
    if (wake)
        m_wake.notify_one();
}

void LogSink::close()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void LogSink::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, m_timing.interval,
                        [this] { return m_closing || m_pending.size() >= m_timing.soonBytes; });
        std::string batch;
        batch.swap(m_pending);
        const bool closing = m_closing;
        // The disk is written without the lock, so an append never waits for it.
        lock.unlock();
        const int error = writeAll(batch);
        lock.lock();
        if (error != 0) {
            m_failure = error;
            m_pending.clear();
            return;
        }
        m_written += batch.size();
        if (closing && m_pending.empty())
            return;
    }
}

int LogSink::writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

namespace {

OpenedLog openWith(const std::filesystem::path &path, int flags)
{
    OpenedLog opened{path};
    opened.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644);
    if (opened.fd < 0)
        opened.error = errno;
    return opened;
}

} // namespace

OpenedLog openLogFile(const std::filesystem::path &path)
{
    return openWith(path, O_TRUNC);
}

OpenedLog createLogIn(const std::filesystem::path &folder,
                      std::chrono::system_clock::time_point when)
{
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made)
        return OpenedLog{folder, -1, made.value()};
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stem[40];
    std::strftime(stem, sizeof stem, "velmora-%Y-%m-%d-%H%M%S", &local);
    for (int n = 1;; ++n) {
        const std::string name =
            std::string(stem) + (n == 1 ? std::string() : '-' + std::to_string(n)) + ".csv";
        OpenedLog opened = openWith(folder / name, O_EXCL);
        if (opened.error != EEXIST || n == 1000)
            return opened;
    }
}

} // namespace velmora::log
