#pragma once

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmora::sim::testing {

// The PC end of the simulated line, opened the way a configurator opens a serial port.
class PcPort {
public:
    using Clock = std::chrono::steady_clock;

    explicit PcPort(const std::string &path)
        : m_fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
        termios tio{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(m_fd, TCSANOW, &tio);
        }
    }
    ~PcPort()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PcPort(const PcPort &) = delete;
    PcPort &operator=(const PcPort &) = delete;

    bool isOpen() const { return m_fd >= 0; }

    bool send(std::span<const std::uint8_t> bytes)
    {
        return ::write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until `count` bytes have come or, once bytes are coming, nothing more arrives for
    // `quiet`; never longer than `limit` in all. lastAt() tells when the final read returned.
    std::vector<std::uint8_t> receive(std::size_t count,
                                      std::chrono::milliseconds quiet = std::chrono::seconds(2),
                                      std::chrono::milliseconds limit = std::chrono::seconds(2))
    {
        std::vector<std::uint8_t> out;
        m_hangUp = false;
        const auto end = Clock::now() + limit;
        while (out.size() < count && !m_hangUp) {
            const Clock::duration wait = out.empty()
                                             ? end - Clock::now()
                                             : std::min<Clock::duration>(end - Clock::now(), quiet);
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
            pollfd p{m_fd, POLLIN, 0};
            if (ms <= 0 || ::poll(&p, 1, static_cast<int>(ms)) <= 0)
                break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(m_fd, buffer, std::min(sizeof buffer, count - out.size()));
            if (n < 0 && errno == EAGAIN)
                continue;
            m_hangUp = n <= 0;
            if (n > 0) {
                out.insert(out.end(), buffer, buffer + n);
                m_lastAt = Clock::now();
            }
        }
        return out;
    }

    Clock::time_point lastAt() const { return m_lastAt; }
    bool sawHangUp() const { return m_hangUp; }

private:
    int m_fd = -1;
    Clock::time_point m_lastAt{};
    bool m_hangUp = false;
};

} // namespace velmora::sim::testing
