#include "settings_file.h"

#include "save_file.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace velmora::files {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kPortsSection = "PORTS";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lower(x) == lower(y); });
}

bool hasLineBreak(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

bool isBlankLine(std::string_view s)
{
    return trimmed(s).empty();
}

} // namespace

SettingsFile SettingsFile::load(const std::filesystem::path &path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return {};
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return {};
        const std::string text{std::istreambuf_iterator<char>(in),
                               std::istreambuf_iterator<char>()};
        if (in.bad())
            return {};
        return fromText(text);
    } catch (const std::exception &) {
        // Out of memory on an absurd file, or a stream that reports failure by throwing: the
        // program then starts from its defaults, as it does without a file.
        return {};
    }
}

SettingsFile SettingsFile::fromText(std::string_view text)
{
    SettingsFile file;
    if (text.starts_with(kBom)) {
        file.m_bom = kBom;
        text.remove_prefix(kBom.size());
    }

    std::vector<Line> *lines = &file.m_leadingLines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (raw.ends_with('\r'))
            raw.remove_suffix(1);

        const std::string_view content = trimmed(raw);
        if (content.starts_with('[')) {
            const std::size_t close = content.find(']');
            if (close != std::string_view::npos) {
                file.m_sections.push_back(
                    {std::string(raw), std::string(trimmed(content.substr(1, close - 1))), {}});
                lines = &file.m_sections.back().lines;
                continue;
            }
        }

        Line line{std::string(raw), {}, {}};
        const std::size_t equals = content.find('=');
        if (!content.starts_with(';') && equals != std::string_view::npos) {
            line.key = trimmed(content.substr(0, equals));
            line.value = trimmed(content.substr(equals + 1));
        }
        lines->push_back(std::move(line));
    }
    return file;
}

const SettingsFile::Section *SettingsFile::findSection(std::string_view name) const
{
    const auto it = std::find_if(m_sections.begin(), m_sections.end(),
                                 [name](const Section &s) { return sameName(s.name, name); });
    return it == m_sections.end() ? nullptr : &*it;
}

SettingsFile::Section *SettingsFile::findSection(std::string_view name)
{
    return const_cast<Section *>(std::as_const(*this).findSection(name));
}

std::optional<std::string> SettingsFile::value(std::string_view section, std::string_view key) const
{
    const Section *s = findSection(section);
    if (!s || key.empty())
        return std::nullopt;
    for (const Line &line : s->lines) {
        if (sameName(line.key, key))
            return line.value;
    }
    return std::nullopt;
}

std::optional<long> SettingsFile::number(std::string_view section, std::string_view key) const
{
    const std::optional<std::string> text = value(section, key);
    if (!text)
        return std::nullopt;
    std::string_view digits = trimmed(*text);
    // from_chars takes a minus sign but not a plus sign.
    if (digits.starts_with('+')) {
        digits.remove_prefix(1);
        if (digits.starts_with('-'))
            return std::nullopt;
    }
    long result = 0;
    const char *end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, result);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return result;
}

void SettingsFile::setValue(std::string_view section, std::string_view key, std::string value)
{
    section = trimmed(section);
    key = trimmed(key);
    if (section.empty() || hasLineBreak(section) || section.find(']') != std::string_view::npos)
        return;
    if (key.empty() || hasLineBreak(key) || key.find('=') != std::string_view::npos ||
        key.starts_with(';') || key.starts_with('['))
        return;
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');

    Section *s = findSection(section);
    if (!s) {
        std::vector<Line> &previous = m_sections.empty() ? m_leadingLines : m_sections.back().lines;
        const bool fileEmpty = m_sections.empty() && m_leadingLines.empty();
        if (!fileEmpty && (previous.empty() || !isBlankLine(previous.back().text)))
            previous.push_back({});
        m_sections.push_back({"[" + std::string(section) + "]", std::string(section), {}});
        s = &m_sections.back();
    }

    for (Line &line : s->lines) {
        if (sameName(line.key, key)) {
            line.text = line.key + "=" + value;
            line.value = trimmed(value);
            return;
        }
    }

    // After the section's last line that says something, so that blank lines separating it
    // from the next section stay where they are.
    auto at = s->lines.end();
    while (at != s->lines.begin() && isBlankLine(std::prev(at)->text))
        --at;
    std::string text = std::string(key) + "=" + value;
    s->lines.insert(at, Line{std::move(text), std::string(key), std::string(trimmed(value))});
}

void SettingsFile::remove(std::string_view section, std::string_view key)
{
    Section *s = findSection(trimmed(section));
    key = trimmed(key);
    if (!s || key.empty()) // lines without a key are comments and blanks, never a key's
        return;
    std::erase_if(s->lines, [key](const Line &line) { return sameName(line.key, key); });
}

std::string SettingsFile::text() const
{
    std::string out = m_bom;
    const auto append = [&out](const std::string &line) {
        out += line;
        out += '\n';
    };
    for (const Line &line : m_leadingLines)
        append(line.text);
    for (const Section &section : m_sections) {
        append(section.header);
        for (const Line &line : section.lines)
            append(line.text);
    }
    return out;
}

bool SettingsFile::save(const std::filesystem::path &path) const
{
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    return saveFile(path, text()) == SaveResult::Saved;
}

std::function<std::optional<std::string>(const std::string &portName)>
portTable(const SettingsFile &settings)
{
    return [&settings](const std::string &portName) {
        return settings.value(kPortsSection, portName);
    };
}

void setPortDevice(SettingsFile &settings, const std::string &portName, const std::string &device)
{
    if (device.empty())
        settings.remove(kPortsSection, portName);
    else
        settings.setValue(kPortsSection, portName, device);
}

std::filesystem::path defaultSettingsPath()
{
    const auto variable = [](const char *name) -> std::string {
        const char *v = std::getenv(name);
        return v ? std::string(v) : std::string();
    };
    const std::filesystem::path fileName = "Velmora05.ini";
    if (const std::string config = variable("XDG_CONFIG_HOME"); !config.empty())
        return std::filesystem::path(config) / "velmora" / fileName;
    if (const std::string home = variable("HOME"); !home.empty())
        return std::filesystem::path(home) / ".config" / "velmora" / fileName;
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    return error ? fileName : here / fileName;
}

} // namespace velmora::files
