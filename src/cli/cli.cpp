#include "cli.h"

#include "cli_texts.h"
#include "image_builder.h"
#include "monitor_printer.h"
#include "unit_session.h"

#include "analysis/analysis_texts.h"
#include "analysis/map_analysis.h"
#include "files/image_file.h"
#include "files/parameter_diff.h"
#include "files/parameter_file.h"
#include "files/save_file.h"
#include "files/settings_file.h"
#include "files/unit_history.h"
#include "link/link_texts.h"
#include "link/open_failure.h"
#include "link/port_catalog.h"
#include "link/port_names.h"
#include "log/log_texts.h"
#include "log/ride_log.h"
#include "model/parameter_set.h"
#include "release/release_version.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>

namespace velmora::cli {
namespace {

constexpr const char *kToolUsage =
    "Usage: velmora-cli [--language ENGLISH|CESKY|DEUTSCH] COMMAND [options]\n"
    "\n"
    "Commands:\n"
    "  defaults  the default parameter set of a model\n"
    "  convert   converts between parameter files and image files\n"
    "  read      reads the unit's parameter set\n"
    "  verify    compares a parameter set with the unit's\n"
    "  program   writes a parameter set into the unit\n"
    "  monitor   shows the unit's live values\n"
    "  ports     lists the serial ports and the device of each COM number\n"
    "  history   lists the unit history, newest first\n"
    "  diff      lists the differences between two parameter sets\n"
    "  analyze   proposes injection map values from a ride log\n"
    "\n"
    "velmora-cli COMMAND --help shows the options of a command.\n"
    "velmora-cli --version shows the release of velmora-cli.\n";

const std::map<std::string, std::string, std::less<>> kCommandUsage{
    {"defaults", "Usage: velmora-cli defaults --model M [-o FILE]\n"
                 "  Writes the default parameter set of model M (0..4) as a parameter file,\n"
                 "  to FILE or to standard output.\n"},
    {"convert",
     "Usage: velmora-cli convert IN [-o OUT] [--from ign|image] [--to ign|image] [--base IMAGE]\n"
     "  Reads IN over the default set of model 0 (or over the image file IMAGE) and writes\n"
     "  the result as a parameter file or an image file, to OUT or to standard output.\n"},
    {"read", "Usage: velmora-cli read (--device PATH | --port N) [-o OUT.ign] [--image OUT.img]\n"
             "                        [--no-history]\n"
             "  Reads the unit and writes its parameter set, to OUT.ign or to standard output,\n"
             "  and its whole image to OUT.img when asked. The set read is kept in the unit\n"
             "  history unless --no-history is given.\n"},
    {"verify", "Usage: velmora-cli verify (--device PATH | --port N) IN [--from ign|image]\n"
               "                          [--base IMAGE]\n"
               "  Compares the parameter set built from IN as convert does with the unit's.\n"},
    {"program", "Usage: velmora-cli program (--device PATH | --port N) IN [--from ign|image]\n"
                "                           [--base IMAGE] [--backup] [--no-history]\n"
                "  Writes the parameter set built from IN as convert does into the unit,\n"
                "  verifies it and waits until the unit has saved it. The set programmed is\n"
                "  kept in the unit history unless --no-history is given. With --backup the\n"
                "  unit's set is first read as it is and kept in the history as a backup;\n"
                "  when that fails nothing is written into the unit.\n"},
    {"history", "Usage: velmora-cli history\n"
                "  Lists the unit history, newest first, one entry a line: local time, kind\n"
                "  (read, program or backup), the unit's identity and the parameter file,\n"
                "  separated by tabs. The history is kept in $XDG_DATA_HOME/velmora/history\n"
                "  (~/.local/share/velmora/history when XDG_DATA_HOME is not set).\n"},
    {"monitor", "Usage: velmora-cli monitor (--device PATH | --port N) [--count N] [--extended]\n"
                "                           [--csv] [--params FILE.ign | --base IMAGE]\n"
                "  Shows the unit's live values after each reply; stops after N replies.\n"
                "  The values are decoded against the unit's parameter set, read once before\n"
                "  polling (model 0's defaults when it cannot be read), against the set built\n"
                "  from FILE.ign as convert does, or against the image file IMAGE as it is.\n"},
    {"diff",
     "Usage: velmora-cli diff A B [--device PATH | --port N]\n"
     "  Compares two parameter sets. A and B are each a parameter file (a name ending in\n"
     "  .ign, built as convert builds it), an image file (any other name, taken byte for\n"
     "  byte) or the word unit (read from the device as read does). One line per\n"
     "  difference: every differing number of the parameter file in its order, as\n"
     "  KEYWORD[i] A -> B, i counting the keyword's numbers from 0; then, when neither side\n"
     "  is a parameter file, every other differing byte as BYTE[n] a -> b. EXT_MON is not\n"
     "  compared. Exit status 0 equal, 1 different, 2 trouble.\n"},
    {"analyze",
     "Usage: velmora-cli analyze LOG.csv (--params FILE.ign | --base IMAGE)\n"
     "                           [--map tp14|tp23|iap|all] [-o PROPOSED.ign] [thresholds]\n"
     "  Proposes a value for every injection map cell the ride log visited, from the\n"
     "  replies the filters trust, against the TUNING target and tolerance of the set\n"
     "  built from FILE.ign as convert does or of the image file IMAGE as it is. Prints\n"
     "  one tab-separated line per visited cell (map, row, column, current, proposed,\n"
     "  change in %, weight), then the rows each filter removed. With -o the set with\n"
     "  the proposals applied is written as a parameter file. Ride, analyse and apply\n"
     "  again: each ride moves a cell by at most the cap.\n"
     "  Thresholds (defaults in brackets):\n"
     "    --warm C          coolant at or above C degrees Celsius is warm [70]\n"
     "    --rail-low MV     a lambda reading at or below MV is not trusted [50]\n"
     "    --rail-high MV    a lambda reading at or above MV is not trusted [950]\n"
     "    --stuck N         N equal lambda readings in a row: sensor not active [10]\n"
     "    --steady N        replies in the same cells before one counts [3]\n"
     "    --accel-hold S    seconds left out after the throttle rose faster than ACCEL [1]\n"
     "    --min-rpm RPM     replies below RPM are idle [1500]\n"
     "    --max-duty PCT    duty at or above PCT, or an injection time of 0, is at its\n"
     "                      limit [90]\n"
     "    --event-hold S    seconds left out after a program or a tuning write [2]\n"
     "    --min-weight W    summed weight a cell needs for a proposal [3]\n"
     "    --cap STEPS       largest change of a cell, in steps [6]\n"
     "    --sensor FILE     the sensor curve, one \"mV lambda\" point a line, millivolts\n"
     "                      rising [a typical narrow-band curve, lambda 1 at 450 mV]\n"
     "  Exit status 0 when the analysis ran (with or without proposals), 1 for a log,\n"
     "  parameter or sensor file that cannot be read, 2 for a usage error.\n"},
    {"ports", "Usage: velmora-cli ports\n"
              "  Lists the serial ports, one a line: device, description, manufacturer, serial\n"
              "  number and USB vid:pid, separated by tabs, \"-\" for what is not known. Then\n"
              "  COM1..COM10, each with the device it stands for and \"present\" or \"absent\".\n"
              "  A COM number stands for the device named by the environment variable\n"
              "  VELMORA_COMn, else by section PORTS of the settings file, else /dev/ttyS<n-1>.\n"},
};

// diff's word for the unit on the line, in place of a file name.
constexpr std::string_view kUnitWord = "unit";
constexpr int kDiffTrouble = 2;

// The device options every command with a unit has.
const std::set<std::string, std::less<>> kDeviceOptions{"--device", "--port"};

struct CommandOptions {
    std::set<std::string, std::less<>> valued;
    std::set<std::string, std::less<>> flags;
    std::size_t positionals = 0;
};

const std::map<std::string, CommandOptions, std::less<>> kCommands{
    {"defaults", {{"--model", "-o"}, {}, 0}},
    {"convert", {{"-o", "--from", "--to", "--base"}, {}, 1}},
    {"read", {{"--device", "--port", "-o", "--image"}, {"--no-history"}, 0}},
    {"verify", {{"--device", "--port", "--from", "--base"}, {}, 1}},
    {"program", {{"--device", "--port", "--from", "--base"}, {"--no-history", "--backup"}, 1}},
    {"monitor",
     {{"--device", "--port", "--count", "--params", "--base"}, {"--extended", "--csv"}, 0}},
    {"ports", {{}, {}, 0}},
    {"history", {{}, {}, 0}},
    {"diff", {{"--device", "--port"}, {}, 2}},
    {"analyze",
     {{"--params", "--base", "--map", "-o", "--warm", "--rail-low", "--rail-high", "--stuck",
       "--steady", "--accel-hold", "--min-rpm", "--max-duty", "--event-hold", "--min-weight",
       "--cap", "--sensor"},
      {},
      1}},
};

// analyze's thresholds: the option, the range it takes, whether only whole numbers, and the
// setting it fills.
struct ThresholdOption {
    const char *name;
    double least;
    double most;
    bool whole;
    void (*set)(analysis::Settings &, double);
};

const std::array<ThresholdOption, 11> kThresholdOptions{{
    {"--warm", -50, 200, true,
     [](analysis::Settings &s, double v) { s.warmCelsius = static_cast<int>(v); }},
    {"--rail-low", 0, 5000, true,
     [](analysis::Settings &s, double v) { s.railLowMv = static_cast<int>(v); }},
    {"--rail-high", 0, 5000, true,
     [](analysis::Settings &s, double v) { s.railHighMv = static_cast<int>(v); }},
    {"--stuck", 2, 1e6, true,
     [](analysis::Settings &s, double v) { s.stuckRows = static_cast<int>(v); }},
    {"--steady", 1, 1e6, true,
     [](analysis::Settings &s, double v) { s.steadyRows = static_cast<int>(v); }},
    {"--accel-hold", 0, 3600, false,
     [](analysis::Settings &s, double v) { s.accelHoldOffSeconds = v; }},
    {"--min-rpm", 0, 30000, true,
     [](analysis::Settings &s, double v) { s.minRpm = static_cast<int>(v); }},
    {"--max-duty", 1, 100, true,
     [](analysis::Settings &s, double v) { s.maxDutyPercent = static_cast<int>(v); }},
    {"--event-hold", 0, 3600, false,
     [](analysis::Settings &s, double v) { s.eventHoldOffSeconds = v; }},
    {"--min-weight", 0, 1e6, false, [](analysis::Settings &s, double v) { s.minWeight = v; }},
    {"--cap", 0, 250, true,
     [](analysis::Settings &s, double v) { s.capSteps = static_cast<int>(v); }},
}};

// --map's words and the maps each chooses.
const std::map<std::string, std::array<bool, analysis::kMaps>, std::less<>> kMapWords{
    {"tp14", {true, false, false}},
    {"tp23", {false, true, false}},
    {"iap", {false, false, true}},
    {"all", {true, true, true}},
};

struct Parsed {
    std::string command;
    std::map<std::string, std::string, std::less<>> values;
    std::set<std::string, std::less<>> flags;
    std::vector<std::string> positionals;
    bool help = false;
    bool version = false;
    std::uint8_t language = 1;

    std::optional<std::string> value(std::string_view name) const
    {
        const auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    }
};

struct UsageError {
    std::string problem;
};

std::optional<std::uint8_t> languageIndex(std::string word)
{
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (word == "CESKY")
        return 0;
    if (word == "ENGLISH")
        return 1;
    if (word == "DEUTSCH")
        return 2;
    return std::nullopt;
}

std::optional<long> wholeNumber(const std::string &word)
{
    long n = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
    if (ec != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return n;
}

// Fills `parsed`, or returns the problem for the usage message.
std::optional<UsageError> parse(const std::vector<std::string> &args, Parsed &parsed)
{
    std::size_t i = 0;
    auto takeLanguage = [&]() -> std::optional<UsageError> {
        if (i + 1 >= args.size())
            return UsageError{"--language needs a value"};
        const auto index = languageIndex(args[i + 1]);
        if (!index)
            return UsageError{"unknown language " + args[i + 1]};
        parsed.language = *index;
        i += 2;
        return std::nullopt;
    };
    while (i < args.size() && args[i] == "--language")
        if (auto problem = takeLanguage())
            return problem;
    if (i >= args.size())
        return UsageError{"no command"};
    if (args[i] == "--help" || args[i] == "-h") {
        parsed.help = true;
        return std::nullopt;
    }
    if (args[i] == "--version") {
        parsed.version = true;
        return std::nullopt;
    }
    parsed.command = args[i++];
    const auto command = kCommands.find(parsed.command);
    if (command == kCommands.end())
        return UsageError{"unknown command " + parsed.command};
    const CommandOptions &options = command->second;
    while (i < args.size()) {
        const std::string &word = args[i];
        if (word == "--help" || word == "-h") {
            parsed.help = true;
            ++i;
        } else if (word == "--language") {
            if (auto problem = takeLanguage())
                return problem;
        } else if (options.valued.contains(word)) {
            if (i + 1 >= args.size())
                return UsageError{word + " needs a value"};
            parsed.values[word] = args[i + 1];
            i += 2;
        } else if (options.flags.contains(word)) {
            parsed.flags.insert(word);
            ++i;
        } else if (word.size() > 1 && word[0] == '-') {
            return UsageError{"unknown option " + word};
        } else {
            parsed.positionals.push_back(word);
            ++i;
        }
    }
    if (parsed.help)
        return std::nullopt;
    if (parsed.positionals.size() != options.positionals)
        return UsageError{options.positionals == 0 ? "unexpected argument " + parsed.positionals[0]
                          : options.positionals == 1 ? "one input file is needed"
                                                     : "two parameter sets are needed"};
    return std::nullopt;
}

std::optional<FileKind> fileKind(const std::optional<std::string> &word)
{
    if (!word || *word == "ign")
        return FileKind::Parameters;
    if (*word == "image")
        return FileKind::Image;
    return std::nullopt;
}

// What one command needs besides the parsed words.
class Command {
public:
    Command(const Parsed &parsed, std::ostream &out, std::ostream &err, const UnitAccess &access)
        : m_parsed(parsed), m_out(out), m_err(err), m_access(access)
    {}

    int run()
    {
        const std::string &c = m_parsed.command;
        if (c == "defaults")
            return defaults();
        if (c == "convert")
            return convert();
        if (c == "read")
            return read();
        if (c == "verify")
            return verify();
        if (c == "program")
            return program();
        if (c == "ports")
            return ports();
        if (c == "history")
            return history();
        if (c == "diff")
            return diff();
        if (c == "analyze")
            return analyze();
        return monitor();
    }

private:
    int usage(const std::string &problem)
    {
        m_err << "velmora-cli: " << problem << '\n' << usageText(m_parsed.command);
        return kExitUsage;
    }
    int fail(const std::string &text)
    {
        m_err << text << '\n';
        return kExitFailure;
    }
    int fail(const Triple &text) { return fail(std::string(text.pick(m_parsed.language))); }

    int writeParameters(const std::optional<std::string> &path, const DeviceImage &image,
                        bool extendedMonitor)
    {
        if (!path) {
            m_out << files::writeParameterText(image, extendedMonitor);
            m_out.flush();
            return kExitOk;
        }
        return writeFile(*path, files::writeParameterText(image, extendedMonitor));
    }

    int writeImage(const std::optional<std::string> &path, const DeviceImage &image)
    {
        if (!path) {
            m_out << files::imageText(image);
            m_out.flush();
            return kExitOk;
        }
        return writeFile(*path, files::imageText(image));
    }

    // The window's words for each way a save can fail.
    int writeFile(const std::string &path, std::string_view bytes)
    {
        const Triple *failure = files::text::saveFailureText(files::saveFile(path, bytes));
        return failure ? fail(*failure) : kExitOk;
    }

    int defaults()
    {
        const auto model = m_parsed.value("--model");
        if (!model)
            return usage("--model is needed");
        const auto number = wholeNumber(*model);
        if (!number || *number < 0 || *number >= kModelCount)
            return usage("the model is a number from 0 to 4");
        const DeviceImage image = defaultSet(static_cast<std::uint8_t>(*number));
        return writeParameters(m_parsed.value("-o"), image, false);
    }

    // Reads the input file of convert, verify and program; nothing after a usage error or a
    // failure, whose exit code is left in `code`.
    std::optional<BuiltImage> build(int &code)
    {
        const auto from = fileKind(m_parsed.value("--from"));
        if (!from) {
            code = usage("--from takes ign or image");
            return std::nullopt;
        }
        std::optional<std::filesystem::path> base;
        if (const auto word = m_parsed.value("--base"))
            base = *word;
        BuiltImage built = buildImage(m_parsed.positionals.at(0), *from, base);
        if (!built) {
            code = fail(*built.error);
            return std::nullopt;
        }
        return built;
    }

    int convert()
    {
        const auto to = fileKind(m_parsed.value("--to"));
        if (!to)
            return usage("--to takes ign or image");
        int code = kExitOk;
        const auto built = build(code);
        if (!built)
            return code;
        if (*to == FileKind::Image)
            return writeImage(m_parsed.value("-o"), built->image);
        return writeParameters(m_parsed.value("-o"), built->image, built->extendedMonitor);
    }

    // The device named by --device or --port; an empty string for a port with no device.
    std::optional<std::string> device(int &code)
    {
        const auto path = m_parsed.value("--device");
        const auto port = m_parsed.value("--port");
        if (path.has_value() == port.has_value()) {
            code = usage("give either --device or --port");
            return std::nullopt;
        }
        if (path)
            return *path;
        const auto n = wholeNumber(*port);
        if (!n || *n < link::kFirstComPort || *n > link::kLastComPort) {
            code = usage("the port is a number from 1 to 10");
            return std::nullopt;
        }
        const auto settings = files::SettingsFile::load(files::defaultSettingsPath());
        return link::comPortDevice(static_cast<int>(*n), files::portTable(settings));
    }

    link::PortList listPorts() const
    {
        return m_access.listPorts ? m_access.listPorts() : link::PortList();
    }

    // The window's box in two lines: "Com opening error", then why and what to do.
    bool openSession(UnitSession &session, const std::string &path, int &code)
    {
        const link::OpenResult result =
            path.empty() ? link::OpenResult{link::OpenError::Missing, {}} : session.open(path);
        if (!result) {
            code = fail(link::openFailureText(path, result, listPorts(), m_parsed.language));
            return false;
        }
        return true;
    }

    // Tab-separated fields, so that scripts can cut them apart.
    int ports()
    {
        const auto field = [](const std::string &text) { return text.empty() ? "-" : text; };
        const link::PortList found = listPorts();
        for (const link::PortEntry &port : found)
            m_out << field(port.device) << '\t' << field(port.description) << '\t'
                  << field(port.manufacturer) << '\t' << field(port.serialNumber) << '\t'
                  << field(link::usbId(port)) << '\n';
        const auto settings = files::SettingsFile::load(files::defaultSettingsPath());
        for (const link::ComAssignment &com :
             link::comAssignments(files::portTable(settings), found))
            m_out << link::comPortName(com.number) << '\t' << field(com.device) << '\t'
                  << (com.present ? "present" : "absent") << '\n';
        m_out.flush();
        return kExitOk;
    }

    int read()
    {
        int code = kExitOk;
        const auto path = device(code);
        if (!path)
            return code;
        DeviceImage image;
        UnitSession session(image, m_parsed.language, m_access);
        if (!openSession(session, *path, code))
            return code;
        if (!session.transact(&link::Link::MenuReadClick, m_err))
            return fail(session.failureText());
        keep(files::HistoryKind::Read, image, session.now());
        if (const auto imagePath = m_parsed.value("--image")) {
            if (const int code = writeImage(*imagePath, image); code != kExitOk)
                return code;
        }
        return writeParameters(m_parsed.value("-o"), image, false);
    }

    int verify() { return sendImage(&link::Link::MenuVerifyClick); }

    int program()
    {
        const auto backup = [this](UnitSession &session) {
            // As the unit holds it, without the passes of a Read: a set with values out of range
            // is backed up as it is.
            DeviceImage scratch;
            if (!session.transact([&](link::Link &link) { link.readInto(scratch); }, m_err))
                return fail(session.failureText());
            std::string error;
            if (!unitHistory().record(files::HistoryKind::Backup, scratch, session.now(), &error))
                return fail(std::string(files::text::kBackupNotWritten.pick(m_parsed.language)) +
                            ' ' + error);
            return kExitOk;
        };
        return sendImage(
            &link::Link::MenuProgramClick,
            [this](UnitSession &session, const DeviceImage &programmed) {
                // The entry is made once the verify pass matched, before the unit has saved.
                keep(files::HistoryKind::Program, programmed, session.now());
                waitForSaving(session);
            },
            m_parsed.flags.contains("--backup") ? backup : std::function<int(UnitSession &)>());
    }

    files::UnitHistory unitHistory() const { return files::UnitHistory(m_access.historyFolder); }

    // A transaction that succeeded stands whether or not its history entry can be written.
    void keep(files::HistoryKind kind, const DeviceImage &image,
              std::chrono::system_clock::time_point now)
    {
        if (m_parsed.flags.contains("--no-history") || m_access.historyFolder.empty())
            return;
        std::string error;
        if (!unitHistory().record(kind, image, now, &error)) {
            m_err << files::text::kHistoryNotWritten.pick(m_parsed.language) << ' ' << error
                  << '\n';
            m_err.flush();
        }
    }

    // Newest first; the time is local, as in the entry's name.
    int history()
    {
        if (m_access.historyFolder.empty())
            return kExitOk;
        for (const files::HistoryEntry &entry : unitHistory().entries()) {
            const std::time_t seconds = std::chrono::system_clock::to_time_t(entry.time);
            std::tm local = {};
            ::localtime_r(&seconds, &local);
            char when[32];
            std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
            m_out << when << '\t' << files::historyKindName(entry.kind) << '\t' << entry.identity
                  << '\t' << entry.parameterFile.string() << '\n';
        }
        m_out.flush();
        return kExitOk;
    }

    // Verify and Program: the image built from the input file, one transaction with the unit,
    // and for Program the wait while the unit stores it. `before` runs on the open line first
    // and stops everything unless it gives kExitOk.
    int sendImage(void (link::Link::*command)(),
                  const std::function<void(UnitSession &, const DeviceImage &)> &afterwards = {},
                  const std::function<int(UnitSession &)> &before = {})
    {
        int code = kExitOk;
        const auto path = device(code);
        if (!path)
            return code;
        auto built = build(code);
        if (!built)
            return code;
        UnitSession session(built->image, m_parsed.language, m_access);
        if (!openSession(session, *path, code))
            return code;
        if (before) {
            if (const int code = before(session); code != kExitOk)
                return code;
        }
        if (!session.transact(command, m_err))
            return fail(session.failureText());
        if (afterwards)
            afterwards(session, built->image);
        return kExitOk;
    }

    // Idle ticks after programming until a monitor reply says the unit has saved the set.
    void waitForSaving(UnitSession &session)
    {
        const std::string saving = link::text::kSaving.pick(m_parsed.language);
        int seen = session.view().monitorCount();
        int shownPercent = -1;
        for (;;) {
            session.tick();
            if (session.view().monitorCount() != seen) {
                seen = session.view().monitorCount();
                const int left = session.link().live().savingCountdown;
                if (left == 0)
                    return;
                const int start = link::Link::kSavingStart;
                const int percent = std::clamp((start - left) * 100 / start, 0, 100);
                if (percent != shownPercent) {
                    shownPercent = percent;
                    m_err << saving << ' ' << percent << " %\n";
                    m_err.flush();
                }
            } else if (session.link().noReplyTicks() >= link::Link::kNoReplyTicks) {
                m_err << text::kNoConnection << '\n';
                return;
            }
        }
    }

    // The set the monitor decodes against, from the unit. A unit that cannot be read is named in
    // one line, and model 0's defaults stand in for its set.
    void readUnitSet(UnitSession &session, DeviceImage &image)
    {
        std::ostream quiet(nullptr);
        if (session.transact(&link::Link::readWithoutVerify, quiet))
            return;
        m_err << session.failureText() << ' ' << text::kMonitorDefaults.pick(m_parsed.language)
              << '\n';
        m_err.flush();
        image = defaultSet(0);
    }

    // One side of diff: nothing after a failure, whose exit code is left in `code`.
    std::optional<DeviceImage> diffSide(const std::string &word,
                                        std::optional<DeviceImage> &unitSet, int &code)
    {
        const auto trouble = [&](const std::string &text) {
            m_err << text << '\n';
            code = kDiffTrouble;
            return std::nullopt;
        };
        if (word == kUnitWord) {
            if (!unitSet) {
                const auto path = device(code);
                if (!path)
                    return std::nullopt;
                DeviceImage image;
                UnitSession session(image, m_parsed.language, m_access);
                if (!openSession(session, *path, code)) {
                    code = kDiffTrouble;
                    return std::nullopt;
                }
                if (!session.transact(&link::Link::MenuReadClick, m_err))
                    return trouble(session.failureText());
                unitSet = image;
            }
            return unitSet;
        }
        if (isParameterFileName(word)) {
            const BuiltImage built = buildImage(word, FileKind::Parameters, std::nullopt);
            if (!built)
                return trouble(built.error->pick(m_parsed.language));
            return built.image;
        }
        DeviceImage image;
        const auto numbers = files::loadImageFile(word, image);
        if (!numbers)
            return trouble(text::kOpenFileError.pick(m_parsed.language));
        if (*numbers < layout::kImageSize)
            return trouble(text::kShortImageFile.pick(m_parsed.language));
        return image;
    }

    // Exit status as diff(1) has it: 0 equal, 1 different, 2 trouble.
    int diff()
    {
        int code = kExitOk;
        std::optional<DeviceImage> unitSet;
        std::array<DeviceImage, 2> sides;
        for (std::size_t k = 0; k < sides.size(); ++k) {
            const auto side = diffSide(m_parsed.positionals[k], unitSet, code);
            if (!side)
                return code;
            sides[k] = *side;
        }
        // The bytes of a parameter file's set that the file does not hold are the defaults it
        // was read over, so only two images compare byte by byte.
        const bool images = !isParameterFileName(m_parsed.positionals[0]) &&
                            !isParameterFileName(m_parsed.positionals[1]);
        const auto found = files::differences(
            sides[0], sides[1], images ? std::optional(files::ByteRange{}) : std::nullopt);
        for (const files::Difference &d : found)
            m_out << files::differenceLine(d) << '\n';
        m_out.flush();
        return found.empty() ? kExitOk : kExitFailure;
    }

    // The thresholds given on the command line over the defaults; the problem for the usage
    // message when one is not a number in its range.
    std::optional<std::string> thresholds(analysis::Settings &settings) const
    {
        for (const ThresholdOption &option : kThresholdOptions) {
            const auto word = m_parsed.value(option.name);
            if (!word)
                continue;
            double value = 0;
            const auto [end, ec] =
                std::from_chars(word->data(), word->data() + word->size(), value);
            const bool number = ec == std::errc() && end == word->data() + word->size() &&
                                (!option.whole || value == std::floor(value));
            if (!number || !(value >= option.least && value <= option.most))
                return std::string(option.name) + " takes " +
                       (option.whole ? "a whole number" : "a number") + " from " +
                       numberWord(option.least) + " to " + numberWord(option.most);
            option.set(settings, value);
        }
        if (settings.railLowMv >= settings.railHighMv)
            return std::string("--rail-low must lie below --rail-high");
        if (const auto word = m_parsed.value("--map")) {
            const auto maps = kMapWords.find(*word);
            if (maps == kMapWords.end())
                return std::string("--map takes tp14, tp23, iap or all");
            settings.maps = maps->second;
        }
        return std::nullopt;
    }

    static std::string numberWord(double value)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%g", value);
        return buffer;
    }

    int analyze()
    {
        analysis::Settings settings;
        if (const auto problem = thresholds(settings))
            return usage(*problem);
        const auto params = m_parsed.value("--params");
        const auto base = m_parsed.value("--base");
        if (params.has_value() == base.has_value())
            return usage("give either --params or --base");

        const std::string &logPath = m_parsed.positionals[0];
        const log::LogReadResult read = log::readRideLog(logPath);
        if (!read.log)
            return fail(log::text::problemMessage(read, logPath, m_parsed.language));
        const BuiltImage built = params ? buildImage(*params, FileKind::Parameters, std::nullopt)
                                        : loadImage(*base);
        if (!built)
            return fail(*built.error);
        if (const auto path = m_parsed.value("--sensor")) {
            std::ifstream in(*path, std::ios::binary);
            std::ostringstream text;
            text << in.rdbuf();
            const auto curve = in ? analysis::parseSensorCurve(text.str()) : std::nullopt;
            if (!curve)
                return fail(fillIn(analysis::text::kSensorUnusable.pick(m_parsed.language),
                                   {*path}));
            settings.sensor = *curve;
        }

        if (const std::string skipped =
                log::text::skippedRowsMessage(read.log->skippedRows, m_parsed.language);
            !skipped.empty()) {
            m_err << skipped << '\n';
            m_err.flush();
        }
        const analysis::Analysis result = analysis::analyze(*read.log, built.image, settings);
        m_out << analysis::report(result, settings, m_parsed.language);
        m_out.flush();
        const auto output = m_parsed.value("-o");
        if (!output)
            return kExitOk;
        DeviceImage proposed = built.image;
        analysis::applyProposals(result, analysis::Exclusions{}, proposed);
        return writeFile(*output, files::writeParameterText(proposed, built.extendedMonitor));
    }

    static bool isParameterFileName(const std::string &word)
    {
        return word != kUnitWord && word.ends_with(".ign");
    }

    int monitor()
    {
        int code = kExitOk;
        const auto path = device(code);
        if (!path)
            return code;
        long count = 0;
        if (const auto word = m_parsed.value("--count")) {
            const auto n = wholeNumber(*word);
            if (!n || *n < 1)
                return usage("--count takes a number above 0");
            count = *n;
        }
        const bool extended = m_parsed.flags.contains("--extended");
        const auto params = m_parsed.value("--params");
        const auto base = m_parsed.value("--base");
        if (params && base)
            return usage("--params and --base exclude each other");
        BuiltImage parameters;
        if (params)
            parameters = buildImage(*params, FileKind::Parameters, std::nullopt);
        else if (base)
            parameters = loadImage(*base);
        else
            parameters.image = defaultSet(0);
        if (!parameters)
            return fail(*parameters.error);
        UnitSession session(parameters.image, m_parsed.language, m_access, extended);
        if (!openSession(session, *path, code))
            return code;
        if (!params && !base)
            readUnitSet(session, parameters.image);
        MonitorPrinter printer(m_out, m_parsed.language, extended,
                               m_parsed.flags.contains("--csv"));
        printer.begin();
        int seen = 0;
        long printed = 0;
        bool silent = false;
        while (count == 0 || printed < count) {
            session.tick();
            // Nothing more can come, and the tool does not wait for the cable to come back.
            if (session.lineLost())
                return fail(link::text::kLineLost);
            if (session.view().monitorCount() != seen) {
                seen = session.view().monitorCount();
                silent = false;
                printer.print(session.view().display(), session.now());
                ++printed;
            } else if (!silent && session.link().noReplyTicks() >= link::Link::kNoReplyTicks) {
                silent = true;
                m_err << text::kNoConnection << '\n';
                m_err.flush();
            }
        }
        return kExitOk;
    }

    const Parsed &m_parsed;
    std::ostream &m_out;
    std::ostream &m_err;
    const UnitAccess &m_access;
};

} // namespace

std::string usageText(const std::string &command)
{
    const auto it = kCommandUsage.find(command);
    return it == kCommandUsage.end() ? std::string(kToolUsage) : it->second;
}

int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err)
{
    return runCli(args, out, err, serialAccess());
}

int runCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
           const UnitAccess &access)
{
    Parsed parsed;
    if (const auto problem = parse(args, parsed)) {
        err << "velmora-cli: " << problem->problem << '\n' << usageText(parsed.command);
        return kExitUsage;
    }
    if (parsed.help) {
        out << usageText(parsed.command);
        return kExitOk;
    }
    if (parsed.version) {
        out << "velmora-cli " << kReleaseVersion << '\n';
        return kExitOk;
    }
    return Command(parsed, out, err, access).run();
}

} // namespace velmora::cli
