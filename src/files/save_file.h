#pragma once

#include <filesystem>
#include <fstream>
#include <string_view>

namespace velmora::files {

enum class SaveResult {
    Saved,
    CannotCreate,      // nothing was touched: no folder, a folder in the way, a read-only file
    WriteFailed,       // the file that stood there is as it was
    WriteFailedInPlace // the file was being rewritten where it stands, so its old content is gone
};

// Saves a file the way its user relies on when saving over an existing one:
// - a symbolic link stays, and the file at the end of its chain is written; a link that leads
//   nowhere yet creates the file it names;
// - a file the user may not write is refused, as are a folder in the way and a missing folder;
// - the file keeps its permissions and, where the system allows, its owner and group; a new file
//   gets 0666 less the umask;
// - the content goes to a temporary file beside the target, renamed over it once complete, so
//   a failure leaves the old file as it was. Where the folder takes no new file but the file
//   itself may be written, and for a device or anything else that is no plain file (a rename
//   would replace the node), the target is truncated and written where it stands instead.
class SaveFile {
public:
    explicit SaveFile(std::filesystem::path target);
    ~SaveFile();
    SaveFile(const SaveFile &) = delete;
    SaveFile &operator=(const SaveFile &) = delete;

    // Checks the target and opens what will be written; false when the file cannot be created
    // or written, and then nothing has changed. Giving up after a successful create() changes
    // nothing either.
    bool create();
    // Writes everything and puts it in place.
    SaveResult commit(std::string_view bytes);

    const std::filesystem::path &target() const { return m_target; }
    // Whether commit() rewrites the file where it stands (known after create()).
    bool inPlace() const { return m_inPlace; }

private:
    bool openTemporary(bool replacing, unsigned ownerId, unsigned groupId, unsigned mode);
    bool openInPlace(bool plainFile);
    bool writeAll(std::string_view bytes);
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_final; // the target with its links followed
    std::filesystem::path m_temporary;
    int m_fd = -1;
    bool m_inPlace = false;
    bool m_plainFile = true;
};

// Opens a regular file for reading as bytes; false for a missing file or a folder, which opens
// as a stream on some systems and then reads as nothing.
bool openForReading(const std::filesystem::path &path, std::ifstream &in);

// create() and commit() in one.
SaveResult saveFile(const std::filesystem::path &target, std::string_view bytes);

} // namespace velmora::files
