#include "window_settings.h"

#include <fstream>

namespace velmora::files {

namespace {

// The keys, in the order they are written.
constexpr const char *kLeft = "Left";
constexpr const char *kTop = "Top";
constexpr const char *kHeight = "Height";
constexpr const char *kWidth = "Width";
constexpr const char *kComPort = "ComPort";
constexpr const char *kLanguage = "Language";
constexpr const char *kFile = "File";
constexpr const char *kIniDir = "IniDir";
constexpr const char *kPage = "PageControl1->ActivePageIndex";
constexpr const char *kMaximized = "Maximized"; // after the others, and only when it is 1

// Keys after the fifteen that are written only while they differ from their default.
struct OptionalKey {
    const char *key;
    bool WindowSettings::*value;
    bool byDefault;
};
constexpr OptionalKey kOptionalKeys[] = {
    {kMaximized, &WindowSettings::maximized, false},
    {"KeepUnitHistory", &WindowSettings::keepHistory, true},
    {"BackupBeforeProgramming", &WindowSettings::backupBeforeProgram, false},
};

struct BoxKey {
    const char *key;
    bool WindowSettings::*box;
};
constexpr BoxKey kBoxes[] = {
    {"CheckBoxExtMonitor->Checked", &WindowSettings::extendedMonitor},
    {"CheckBoxIgnAll->Checked", &WindowSettings::ignitionAll},
    {"CheckBoxJetTpsAll->Checked", &WindowSettings::tp14All},
    {"CheckBoxJetTpsAlli->Checked", &WindowSettings::tp23All},
    {"CheckBoxJetIapAll->Checked", &WindowSettings::iapAll},
    {"CheckBoxPrivAll->Checked", &WindowSettings::servoAll},
};

} // namespace

void readWindowSettings(const SettingsFile &file, WindowSettings &s)
{
    auto number = [&file](const char *key) { return file.number(kWindowSection, key); };
    if (auto v = number(kLeft))
        s.left = *v;
    if (auto v = number(kTop))
        s.top = *v;
    s.height = number(kHeight).value_or(s.height);
    s.width = number(kWidth).value_or(s.width);
    if (auto v = number(kComPort))
        s.comPort = static_cast<std::uint8_t>(*v & 0xFF);
    if (auto v = number(kLanguage))
        s.language = static_cast<std::uint8_t>(*v & 0xFF);
    s.file = file.value(kWindowSection, kFile).value_or(s.file);
    s.iniDir = file.value(kWindowSection, kIniDir).value_or(s.iniDir);
    s.page = number(kPage).value_or(s.page);
    for (const BoxKey &b : kBoxes)
        if (auto v = number(b.key))
            s.*b.box = *v != 0;
    for (const OptionalKey &k : kOptionalKeys)
        if (auto v = number(k.key))
            s.*k.value = *v != 0;
}

void writeWindowSettings(SettingsFile &file, const WindowSettings &s)
{
    auto put = [&file](const char *key, long value) {
        file.setValue(kWindowSection, key, std::to_string(value));
    };
    put(kLeft, s.left.value_or(0));
    put(kTop, s.top.value_or(0));
    put(kHeight, s.height);
    put(kWidth, s.width);
    put(kComPort, s.comPort);
    put(kLanguage, s.language);
    file.setValue(kWindowSection, kFile, s.file);
    file.setValue(kWindowSection, kIniDir, s.iniDir);
    put(kPage, s.page);
    for (const BoxKey &b : kBoxes)
        put(b.key, s.*b.box ? 1 : 0);
    // Taken out first, so that the keys follow the fifteen wherever an older file had them.
    for (const OptionalKey &k : kOptionalKeys)
        file.remove(kWindowSection, k.key);
    for (const OptionalKey &k : kOptionalKeys)
        if (s.*k.value != k.byDefault)
            put(k.key, s.*k.value ? 1 : 0);
}

std::filesystem::path parameterImagePath(const std::filesystem::path &settingsPath)
{
    return settingsPath.parent_path() / ("_" + settingsPath.filename().string());
}

std::filesystem::path testSwitchPath(const std::filesystem::path &settingsPath)
{
    return settingsPath.parent_path() / "test-switch.txt";
}

bool readTestSwitch(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::string word;
    while (in >> word)
        if (word == "TEST_ENABLE")
            return true;
    return false;
}

} // namespace velmora::files
