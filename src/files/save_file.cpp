#include "save_file.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora::files {

namespace {

// As many links as the system itself follows before it calls a chain a loop.
constexpr int kMaxLinks = 40;
// Tries at a free temporary name before the folder counts as unusable.
constexpr int kNameAttempts = 100;

// The path at the end of a chain of symbolic links; nothing for a loop or an unreadable link.
std::optional<std::filesystem::path> followLinks(std::filesystem::path path)
{
    for (int i = 0; i <= kMaxLinks; ++i) {
        struct stat st = {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::error_code error;
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        if (error)
            return std::nullopt;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;
}

// Read-only as the user sees it. Root may write anything, so for root only a file without any
// write bit is read-only: what a file list shows as read-only is refused for everybody.
bool readOnly(const std::filesystem::path &path, const struct stat &st)
{
    if (::geteuid() == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

std::string randomSuffix(std::mt19937 &rng)
{
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    std::string suffix(6, ' ');
    for (char &c : suffix)
        c = kLetters[pick(rng)];
    return suffix;
}

} // namespace

SaveFile::SaveFile(std::filesystem::path target) : m_target(std::move(target)) {}

SaveFile::~SaveFile()
{
    discard();
}

bool SaveFile::create()
{
    discard();
    m_inPlace = false;
    m_plainFile = true;
    const auto final = followLinks(m_target);
    if (!final)
        return false;
    m_final = *final;
    struct stat st = {};
    if (::stat(m_final.c_str(), &st) != 0)
        return errno == ENOENT && openTemporary(false, 0, 0, 0);
    if (S_ISDIR(st.st_mode) || readOnly(m_final, st))
        return false;
    if (!S_ISREG(st.st_mode))
        return openInPlace(false);
    return openTemporary(true, st.st_uid, st.st_gid, st.st_mode & 07777);
}

bool SaveFile::openTemporary(bool replacing, unsigned ownerId, unsigned groupId, unsigned mode)
{
    std::mt19937 rng(std::random_device{}());
    int error = 0;
    for (int attempt = 0; attempt < kNameAttempts && m_fd < 0; ++attempt) {
        const std::string name = m_final.string() + '.' + randomSuffix(rng);
        // A new file gets the umask applied to 0666 by the system. A replacement starts private
        // and gets the old mode once its owner is settled, so it is never more open than that.
        m_fd =
            ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replacing ? 0600 : 0666);
        if (m_fd >= 0)
            m_temporary = name;
        else if ((error = errno) != EEXIST)
            break;
    }
    if (m_fd < 0)
        return replacing && (error == EACCES || error == EPERM) && openInPlace(true);
    if (replacing) {
        // The owner is kept where the system allows it, else the group where the user is in
        // it. chown clears the set-id bits, so the mode comes after it; a file system without
        // modes (where fchmod fails) keeps its own.
        if (::fchown(m_fd, ownerId, groupId) != 0 &&
            ::fchown(m_fd, static_cast<uid_t>(-1), groupId) != 0) {
            // the file becomes the saving user's, as any file the user creates
        }
        ::fchmod(m_fd, mode);
    }
    return true;
}

bool SaveFile::openInPlace(bool plainFile)
{
    // Not waiting on open keeps a pipe without a reader from holding the program.
    m_fd = ::open(m_final.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return false;
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK);
    m_inPlace = true;
    m_plainFile = plainFile;
    return true;
}

bool SaveFile::writeAll(std::string_view bytes)
{
    const char *p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

SaveResult SaveFile::commit(std::string_view bytes)
{
    if (m_fd < 0)
        return SaveResult::CannotCreate;
    // A device has nothing to truncate or sync; only a plain file is asked to.
    const bool truncated = !m_inPlace || !m_plainFile || ::ftruncate(m_fd, 0) == 0;
    const bool written = truncated && writeAll(bytes) && (!m_plainFile || ::fsync(m_fd) == 0);
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (m_inPlace)
        return written && closed ? SaveResult::Saved : SaveResult::WriteFailedInPlace;
    if (!written || !closed || ::rename(m_temporary.c_str(), m_final.c_str()) != 0) {
        discard();
        return SaveResult::WriteFailed;
    }
    m_temporary.clear();
    return SaveResult::Saved;
}

void SaveFile::discard()
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

SaveResult saveFile(const std::filesystem::path &target, std::string_view bytes)
{
    SaveFile file(target);
    if (!file.create())
        return SaveResult::CannotCreate;
    return file.commit(bytes);
}

} // namespace velmora::files
