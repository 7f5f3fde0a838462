#include "persistence.h"

#include "image_file.h"

#include <utility>

namespace velmora::files {

Persistence::Persistence(std::filesystem::path settingsPath)
    : m_settingsPath(std::move(settingsPath)), m_settings(SettingsFile::load(m_settingsPath))
{}

void Persistence::load(WindowSettings &window, DeviceImage &image)
{
    window.iniDir = m_lastPath;
    readWindowSettings(m_settings, window);
    m_lastPath = window.iniDir;
    loadImageFile(parameterImagePath(m_settingsPath), image);
}

bool Persistence::testSwitch() const
{
    return readTestSwitch(testSwitchPath(m_settingsPath));
}

void Persistence::save(const WindowSettings &window, const DeviceImage &image)
{
    WindowSettings kept = window;
    kept.iniDir = m_lastPath;
    writeWindowSettings(m_settings, kept);
    m_settings.save(m_settingsPath);
    saveImageFile(parameterImagePath(m_settingsPath), image);
}

bool Persistence::savePorts(const std::vector<std::pair<std::string, std::string>> &devices)
{
    for (const auto &[port, device] : devices)
        setPortDevice(m_settings, port, device);
    return m_settings.save(m_settingsPath);
}

} // namespace velmora::files
