#pragma once

#include <cerrno>
#include <chrono>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace velmora::test {

// An Xvfb server of the test's own on a display it picks itself, for as long as the object
// lives. display() stays empty, with the reason in failure(), when Xvfb is not installed or
// does not say its display in time.
class VirtualXServer {
public:
    static constexpr std::chrono::seconds kStartDeadline{20};

    VirtualXServer()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            m_failure = "no pipe";
            return;
        }
        // The server writes its display number to descriptor 3 once it accepts clients.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char *argv[] = {"Xvfb", "-displayfd",   "3",    "-nolisten", "tcp", "-screen",
                              "0",    "1280x1024x24", nullptr};
        const int spawned =
            posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char **>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (spawned != 0) {
            m_pid = -1;
            m_failure = spawned == ENOENT ? "Xvfb is not installed" : "Xvfb did not start";
        } else {
            readDisplay(fds[0]);
        }
        ::close(fds[0]);
    }

    ~VirtualXServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }

    VirtualXServer(const VirtualXServer &) = delete;
    VirtualXServer &operator=(const VirtualXServer &) = delete;

    const std::string &display() const { return m_display; }
    const std::string &failure() const { return m_failure; }

private:
    void readDisplay(int fd)
    {
        const auto deadline = std::chrono::steady_clock::now() + kStartDeadline;
        std::string number;
        while (number.find('\n') == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            const int ready = left.count() > 0 ? ::poll(&p, 1, static_cast<int>(left.count())) : 0;
            if (ready < 0 && errno == EINTR)
                continue;
            char buffer[16];
            const ssize_t n = ready > 0 ? ::read(fd, buffer, sizeof buffer) : 0;
            if (n <= 0) {
                m_failure = ready == 0 ? "Xvfb said no display in time" : "Xvfb ended at start";
                return;
            }
            number.append(buffer, static_cast<std::size_t>(n));
        }
        m_display = ":" + number.substr(0, number.find('\n'));
    }

    pid_t m_pid = -1;
    std::string m_display;
    std::string m_failure;
};

} // namespace velmora::test
