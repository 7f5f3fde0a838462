#pragma once

#include "model/device_image.h"
#include "model/identity.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::files {

// What the unit held after a Read or a Program, or before a Program for a backup, kept so that a
// user can go back to it: a program that writes into an engine must never lose what was there.
enum class HistoryKind { Read, Program, Backup };

// "read", "program", "backup": the word in a history file's name and in the tool's listing.
const char *historyKindName(HistoryKind kind);

struct HistoryEntry {
    std::chrono::system_clock::time_point time; // to the second, as the file's name says
    HistoryKind kind = HistoryKind::Read;
    std::string identity;                // as the window shows it, see identityText()
    std::filesystem::path parameterFile; // STEM.ign
    std::filesystem::path imageFile;     // STEM.img, all 600 bytes
};

// The unit's identity as the window shows it: program name and version, date and time of the
// unit's program, separated by blanks; each part ends at a zero byte, as its label does. Empty
// while no identity has arrived.
std::string identityText(const DeviceImage &image);
std::string identityText(const UnitIdentity &identity);

// The name an entry's files get: YYYYMMDD-HHMMSS-KIND-NAME in local time, NAME being the
// three-letter program name with its two-digit version and the program's date as YYYY-MM-DD,
// kept to ASCII letters, digits and '-' so that the name is safe in every file system.
std::string historyStem(HistoryKind kind, const DeviceImage &image,
                        std::chrono::system_clock::time_point time);

// $XDG_DATA_HOME/velmora, else ~/.local/share/velmora: where the programs keep the user's data
// (the unit history, ride logs).
std::filesystem::path dataFolder();

// The history folder: each entry is a parameter file (EXT_MON 0) and a parameter image file with
// one stem. Nothing is kept in memory; every call looks at the folder as it is now, so the window
// and the command-line tool may both add entries.
class UnitHistory {
public:
    explicit UnitHistory(std::filesystem::path folder);

    // $XDG_DATA_HOME/velmora/history, else ~/.local/share/velmora/history.
    static std::filesystem::path defaultFolder();

    const std::filesystem::path &folder() const { return m_folder; }

    // Writes both files of a new entry, creating the folder on first use; a stem that exists
    // already gets -2, -3, ... Each file goes in through a temporary file, and when either cannot
    // be written neither stays. On failure `error` names the path that could not be written.
    std::optional<HistoryEntry> record(HistoryKind kind, const DeviceImage &image,
                                       std::chrono::system_clock::time_point now,
                                       std::string *error = nullptr) const;

    // Newest first. Files that are not an entry's, an entry missing either file, a parameter file
    // without its key or an image file short of 600 numbers are skipped.
    std::vector<HistoryEntry> entries() const;

    // The newest entry whose identity text is `identity`.
    std::optional<HistoryEntry> newestOf(const std::string &identity) const;

private:
    std::filesystem::path m_folder;
};

} // namespace velmora::files
