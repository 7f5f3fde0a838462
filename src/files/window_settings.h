#pragma once

#include "settings_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace velmora::files {

// What the window keeps between runs, besides the parameter image.
struct WindowSettings {
    std::optional<long> left; // none: centred on the screen
    std::optional<long> top;
    long height = 825;
    long width = 973;
    std::uint8_t comPort = 1;
    std::uint8_t language = 0;
    std::string file;   // the caption of the file label
    std::string iniDir; // the path both file dialogs start from
    long page = 0;      // the page on show
    bool extendedMonitor = false;
    bool ignitionAll = false;
    bool tp14All = false;
    bool tp23All = false;
    bool iapAll = false;
    bool servoAll = false;
    // Closed maximised; the four geometry values are then those of the normal window.
    bool maximized = false;
    // Successful Reads and Programs are kept in the unit history.
    bool keepHistory = true;
    // F9 and the Program button first back up what the unit holds.
    bool backupBeforeProgram = false;
};

inline constexpr const char *kWindowSection = "FORM_HLAV";

// Reads the keys found over `settings`, whose values stand for what is missing; a value that is
// not a number counts as missing. Port and language keep their low 8 bits.
void readWindowSettings(const SettingsFile &file, WindowSettings &settings);
// Writes the fifteen keys in their order, then Maximized=1 for a maximised window only; a normal
// window leaves no Maximized key. The two history switches follow the same way, each only while
// it differs from its default, so that a file of the defaults holds the fifteen keys alone. Keys
// and sections it does not know stay as they are.
void writeWindowSettings(SettingsFile &file, const WindowSettings &settings);

// The files kept beside the settings file.
std::filesystem::path parameterImagePath(const std::filesystem::path &settingsPath);
std::filesystem::path testSwitchPath(const std::filesystem::path &settingsPath);

// True when the test-switch file holds the word TEST_ENABLE (exactly, as one word).
bool readTestSwitch(const std::filesystem::path &path);

} // namespace velmora::files
