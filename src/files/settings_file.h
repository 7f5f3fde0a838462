#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::files {

// The program's INI file. Other tools and older versions of the program share it, so everything
// this class does not change is written back exactly as it was read: unknown sections, keys,
// comments and lines it cannot make sense of keep their text and their order. Section and key
// names compare without regard to case, the way Windows profile files do; the first of several
// equal names wins.
class SettingsFile {
public:
    // A missing or unreadable file gives an empty one; content never makes this fail.
    static SettingsFile load(const std::filesystem::path &path);
    static SettingsFile fromText(std::string_view text);

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // A decimal integer with an optional sign; any other text counts as no value.
    std::optional<long> number(std::string_view section, std::string_view key) const;

    // Replaces the key's value where it stands, or adds the key at the end of its section, or
    // adds the section at the end of the file. Names that could not be read back as the same
    // name (empty, or holding a line break, a '=' in a key, a ']' in a section) are ignored.
    // Line breaks in the value become blanks, and surrounding blanks are lost on reading back.
    void setValue(std::string_view section, std::string_view key, std::string value);

    // Takes out every line of the key in the section (several equal names included, so none of
    // them shows through); the rest of the file stays as it was.
    void remove(std::string_view section, std::string_view key);

    // The file's text with LF line ends.
    std::string text() const;
    // Creates missing parent folders; false when the file cannot be written.
    bool save(const std::filesystem::path &path) const;

private:
    struct Line {
        std::string text; // as read, without its line end
        std::string key;  // empty for lines that are no key (comments, blanks, unreadable lines)
        std::string value;
    };
    struct Section {
        std::string header; // the "[name]" line as read
        std::string name;
        std::vector<Line> lines;
    };

    Section *findSection(std::string_view name);
    const Section *findSection(std::string_view name) const;

    std::string m_bom;                // a UTF-8 byte order mark the file started with
    std::vector<Line> m_leadingLines; // lines before the first section
    std::vector<Section> m_sections;
};

// $XDG_CONFIG_HOME/velmora/Velmora05.ini, else $HOME/.config/velmora/Velmora05.ini, else
// Velmora05.ini in the current folder.
std::filesystem::path defaultSettingsPath();

// The port table of section PORTS: the device it names for a port such as "COM3", if any. The
// lookup refers to `settings`, which must outlive it.
std::function<std::optional<std::string>(const std::string &portName)>
portTable(const SettingsFile &settings);

// Names `device` for a port such as "COM3" in section PORTS; an empty device takes the port's
// line out, so that the port stands for the system's own name again.
void setPortDevice(SettingsFile &settings, const std::string &portName, const std::string &device);

} // namespace velmora::files
