#include "atomic_file.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::files {

AtomicFile::AtomicFile(std::filesystem::path target) : m_target(std::move(target)) {}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::create()
{
    discard();
    std::error_code error;
    if (std::filesystem::is_directory(m_target, error))
        return false; // a folder stands where the file should go
    std::string pattern = m_target.string() + ".XXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        return false;
    m_temporary = pattern;
    // mkstemp makes the file private; a saved file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(m_fd, 0666 & ~mask);
    return true;
}

bool AtomicFile::commit(std::string_view bytes)
{
    if (m_fd < 0)
        return false;
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            discard();
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    const bool synced = ::fsync(m_fd) == 0;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!synced || !closed || ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        discard();
        return false;
    }
    m_temporary.clear();
    return true;
}

void AtomicFile::discard()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        ::unlink(m_temporary.c_str());
        m_temporary.clear();
    }
}

bool openForReading(const std::filesystem::path &path, std::ifstream &in)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return false;
    in.open(path, std::ios::binary);
    return static_cast<bool>(in);
}

SaveResult saveAtomically(const std::filesystem::path &target, std::string_view bytes)
{
    AtomicFile file(target);
    if (!file.create())
        return SaveResult::CannotCreate;
    return file.commit(bytes) ? SaveResult::Saved : SaveResult::WriteFailed;
}

} // namespace velmora::files
