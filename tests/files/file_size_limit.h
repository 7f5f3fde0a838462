#pragma once

#include <csignal>
#include <sys/resource.h>

namespace velmora::test {

// While it lives, a write that would make any file longer than `bytes` fails, as on a full disk.
// Root is held to the limit too. The process ignores the signal that would otherwise end it.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_set = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        m_set = m_set && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    bool active() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_handler)(int) = SIG_DFL;
    bool m_set = false;
};

} // namespace velmora::test
