#pragma once

#include "settings_file.h"
#include "window_settings.h"

#include "model/device_image.h"

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace velmora::files {

// What the window keeps between runs: the settings file, the parameter image and the test switch
// beside it, and the folder both file dialogs start from. It is given where the settings file
// lies; it never looks anything up itself.
class Persistence {
public:
    // Reads the settings file; a missing or unreadable one counts as empty.
    explicit Persistence(std::filesystem::path settingsPath);

    const std::filesystem::path &settingsPath() const { return m_settingsPath; }
    const SettingsFile &settings() const { return m_settings; }

    // Reads the window's keys over `window` (what it holds stands for the keys the file lacks)
    // and the parameter image over `image`; the remembered path comes from the file too.
    void load(WindowSettings &window, DeviceImage &image);
    // True when the test-switch file beside the settings says so.
    bool testSwitch() const;
    // Writes the window's keys with the remembered path, then the parameter image. Failures are
    // not reported: both files are replaced whole or not at all.
    void save(const WindowSettings &window, const DeviceImage &image);

    // Names the device of each port given (such as "COM3"; an empty device clears the port) in
    // section PORTS and writes the settings file at once, the rest of it as it was read. False
    // when the file cannot be written; the names are kept for the next save all the same.
    bool savePorts(const std::vector<std::pair<std::string, std::string>> &devices);

    // The path of the last parameter file opened or saved.
    const std::string &lastPath() const { return m_lastPath; }
    void setLastPath(std::string path) { m_lastPath = std::move(path); }

private:
    std::filesystem::path m_settingsPath;
    SettingsFile m_settings;
    std::string m_lastPath;
};

} // namespace velmora::files
