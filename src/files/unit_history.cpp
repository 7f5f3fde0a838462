#include "unit_history.h"

#include "image_file.h"
#include "parameter_file.h"
#include "save_file.h"

#include "model/identity.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string_view>
#include <system_error>
#include <unistd.h>

namespace velmora::files {

namespace {

struct KindName {
    HistoryKind kind;
    const char *name;
};
constexpr std::array<KindName, 3> kKindNames{{{HistoryKind::Read, "read"},
                                              {HistoryKind::Program, "program"},
                                              {HistoryKind::Backup, "backup"}}};

// A stem that is taken this often in one second means something else is wrong.
constexpr int kMaxSuffix = 1000;

constexpr std::string_view kParameterExtension = ".ign";
constexpr std::string_view kImageExtension = ".img";

std::string twoDigits(unsigned value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02u", value);
    return buffer;
}

std::string untilZero(const std::string &text)
{
    return text.substr(0, text.find('\0'));
}

bool nameCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

std::optional<HistoryKind> kindOf(std::string_view name)
{
    for (const KindName &k : kKindNames)
        if (name == k.name)
            return k.kind;
    return std::nullopt;
}

bool allDigits(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int number(std::string_view digits)
{
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

struct ParsedStem {
    std::chrono::system_clock::time_point time;
    HistoryKind kind;
};

// YYYYMMDD-HHMMSS-KIND-..., the time being local.
std::optional<ParsedStem> parseStem(std::string_view stem)
{
    if (stem.size() < 17 || stem[8] != '-' || stem[15] != '-')
        return std::nullopt;
    const std::string_view date = stem.substr(0, 8);
    const std::string_view clock = stem.substr(9, 6);
    if (!allDigits(date) || !allDigits(clock))
        return std::nullopt;
    const std::string_view rest = stem.substr(16);
    const std::size_t dash = rest.find('-');
    const auto kind = kindOf(rest.substr(0, dash));
    if (!kind)
        return std::nullopt;

    std::tm local = {};
    local.tm_year = number(date.substr(0, 4)) - 1900;
    local.tm_mon = number(date.substr(4, 2)) - 1;
    local.tm_mday = number(date.substr(6, 2));
    local.tm_hour = number(clock.substr(0, 2));
    local.tm_min = number(clock.substr(2, 2));
    local.tm_sec = number(clock.substr(4, 2));
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    if (seconds == static_cast<std::time_t>(-1))
        return std::nullopt;
    return ParsedStem{std::chrono::system_clock::from_time_t(seconds), *kind};
}

std::filesystem::path withExtension(const std::filesystem::path &folder, const std::string &stem,
                                    std::string_view extension)
{
    return folder / (stem + std::string(extension));
}

// Takes the image file's name before anything is written, so that a second writer in the same
// second (the window and the command-line tool) moves on to the next suffix.
bool reserve(const std::filesystem::path &path, bool &taken)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    taken = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

const char *historyKindName(HistoryKind kind)
{
    for (const KindName &k : kKindNames)
        if (k.kind == kind)
            return k.name;
    return "read";
}

std::string identityText(const DeviceImage &image)
{
    return identityText(DecodeUnitIdentity(image));
}

std::string identityText(const UnitIdentity &identity)
{
    if (identity.version.empty() && identity.date.empty() && identity.time.empty())
        return {};
    return untilZero(identity.version) + ' ' + untilZero(identity.date) + ' ' +
           untilZero(identity.time);
}

std::string historyStem(HistoryKind kind, const DeviceImage &image,
                        std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local = {};
    ::localtime_r(&seconds, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &local);

    using namespace layout::id;
    std::string month = monthText(image[kMonth]);
    std::replace(month.begin(), month.end(), ' ', '0');
    std::string name;
    for (std::uint8_t c : image.run(kName, kNameSize))
        name.push_back(static_cast<char>(c));
    name += twoDigits(image[kVersion] % 100u) + "-20" + twoDigits(image[kYear]) + '-' + month +
            '-' + twoDigits(image[kDay]);
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return !nameCharacter(c); }),
               name.end());

    return std::string(when) + '-' + historyKindName(kind) + '-' + name;
}

UnitHistory::UnitHistory(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path dataFolder()
{
    // A relative XDG_DATA_HOME is to be ignored, as an unset one.
    const char *data = std::getenv("XDG_DATA_HOME");
    std::filesystem::path base;
    if (data && *data && std::filesystem::path(data).is_absolute()) {
        base = data;
    } else {
        const char *home = std::getenv("HOME");
        base = std::filesystem::path(home && *home ? home : ".") / ".local" / "share";
    }
    return base / "velmora";
}

std::filesystem::path UnitHistory::defaultFolder()
{
    return dataFolder() / "history";
}

std::optional<HistoryEntry> UnitHistory::record(HistoryKind kind, const DeviceImage &image,
                                                std::chrono::system_clock::time_point now,
                                                std::string *error) const
{
    const auto fail = [&](const std::filesystem::path &path) {
        if (error)
            *error = path.string();
        return std::nullopt;
    };

    std::error_code created;
    std::filesystem::create_directories(m_folder, created);
    if (created || !std::filesystem::is_directory(m_folder, created))
        return fail(m_folder);

    const std::string base = historyStem(kind, image, now);
    std::string stem;
    for (int suffix = 1;; ++suffix) {
        if (suffix > kMaxSuffix)
            return fail(withExtension(m_folder, base, kImageExtension));
        stem = suffix == 1 ? base : base + '-' + std::to_string(suffix);
        std::error_code ignored;
        if (std::filesystem::exists(withExtension(m_folder, stem, kParameterExtension), ignored))
            continue;
        bool taken = false;
        if (reserve(withExtension(m_folder, stem, kImageExtension), taken))
            break;
        if (!taken)
            return fail(withExtension(m_folder, stem, kImageExtension));
    }

    HistoryEntry entry;
    entry.time = std::chrono::time_point_cast<std::chrono::seconds>(now);
    entry.kind = kind;
    entry.identity = identityText(image);
    entry.parameterFile = withExtension(m_folder, stem, kParameterExtension);
    entry.imageFile = withExtension(m_folder, stem, kImageExtension);

    const auto removeBoth = [&] {
        std::error_code ignored;
        std::filesystem::remove(entry.parameterFile, ignored);
        std::filesystem::remove(entry.imageFile, ignored);
    };
    if (saveFile(entry.parameterFile, writeParameterText(image, false)) != SaveResult::Saved) {
        removeBoth();
        return fail(entry.parameterFile);
    }
    if (saveFile(entry.imageFile, imageText(image)) != SaveResult::Saved) {
        removeBoth();
        return fail(entry.imageFile);
    }
    return entry;
}

std::vector<HistoryEntry> UnitHistory::entries() const
{
    std::vector<std::pair<std::string, HistoryEntry>> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path &path = it->path();
        if (path.extension() != kImageExtension)
            continue;
        const std::string stem = path.stem().string();
        const auto parsed = parseStem(stem);
        if (!parsed)
            continue;
        DeviceImage image;
        if (loadImageFile(path, image) != layout::kImageSize)
            continue;
        const std::filesystem::path parameterFile =
            withExtension(m_folder, stem, kParameterExtension);
        DeviceImage fromParameters;
        bool extendedMonitor = false;
        if (loadParameterFile(parameterFile, fromParameters, extendedMonitor) != true)
            continue;
        found.emplace_back(stem, HistoryEntry{parsed->time, parsed->kind, identityText(image),
                                              parameterFile, path});
    }
    // Within one second the suffix orders the entries: a longer stem of the same base came later.
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        if (a.second.time != b.second.time)
            return a.second.time > b.second.time;
        if (a.first.size() != b.first.size())
            return a.first.size() > b.first.size();
        return a.first > b.first;
    });
    std::vector<HistoryEntry> out;
    out.reserve(found.size());
    for (auto &f : found)
        out.push_back(std::move(f.second));
    return out;
}

std::optional<HistoryEntry> UnitHistory::newestOf(const std::string &identity) const
{
    for (HistoryEntry &entry : entries())
        if (entry.identity == identity)
            return std::move(entry);
    return std::nullopt;
}

} // namespace velmora::files
