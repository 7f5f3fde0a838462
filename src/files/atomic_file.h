#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

namespace velmora::files {

// Replaces a file only once its new content is complete: the bytes go to a temporary file beside
// the target, which is renamed over the target at the end. A failure at any point leaves the old
// file as it was and removes the temporary one.
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path target);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file; false when the folder does not allow it.
    bool create();
    // Writes everything, closes and renames over the target; false when any of it failed.
    bool commit(std::string_view bytes);

    const std::filesystem::path &target() const { return m_target; }

private:
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    int m_fd = -1;
};

// Opens a regular file for reading as bytes; false for a missing file or a folder, which opens
// as a stream on some systems and then reads as nothing.
bool openForReading(const std::filesystem::path &path, std::ifstream &in);

enum class SaveResult { Saved, CannotCreate, WriteFailed };

// create() and commit() in one.
SaveResult saveAtomically(const std::filesystem::path &target, std::string_view bytes);

} // namespace velmora::files
