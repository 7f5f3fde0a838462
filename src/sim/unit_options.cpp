#include "unit_options.h"

#include <charconv>
#include <functional>
#include <map>

namespace velmora::sim {

namespace {

std::optional<unsigned> parseNumber(std::string_view text, unsigned max, int base = 10)
{
    if (base == 16 && (text.starts_with("0x") || text.starts_with("0X")))
        text.remove_prefix(2);
    unsigned value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || ptr != end || value > max)
        return std::nullopt;
    return value;
}

// "a<sep>b<sep>c" into numbers, each within its limit.
template <std::size_t N>
std::optional<std::array<unsigned, N>> parseFields(std::string_view text, char separator,
                                                   const std::array<unsigned, N> &max)
{
    std::array<unsigned, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t cut = i + 1 < N ? text.find(separator) : text.size();
        if (cut == std::string_view::npos)
            return std::nullopt;
        const auto value = parseNumber(text.substr(0, cut), max[i]);
        if (!value)
            return std::nullopt;
        out[i] = *value;
        text.remove_prefix(std::min(cut + 1, text.size()));
    }
    return out;
}

using Handler = std::function<std::string(UnitOptions &, std::string_view)>;

// A handler for an option whose value is a number up to `max`, stored through `set`.
template <typename Set> Handler number(unsigned max, Set set)
{
    return [max, set](UnitOptions &o, std::string_view value) -> std::string {
        const auto n = parseNumber(value, max);
        if (!n)
            return "expects a number from 0 to " + std::to_string(max);
        set(o, *n);
        return {};
    };
}

constexpr unsigned kCountMax = 1000000;

Handler identityByte(std::uint8_t IdentityBlock::*field)
{
    return number(255, [field](UnitOptions &o, unsigned n) {
        o.identity.*field = static_cast<std::uint8_t>(n);
    });
}

Handler faultCount(unsigned FaultPlan::*field)
{
    return number(kCountMax, [field](UnitOptions &o, unsigned n) { o.faults.*field = n; });
}

std::map<std::string_view, Handler> valueOptions()
{
    return {
        {"--name",
         [](UnitOptions &o, std::string_view v) -> std::string {
             if (v.empty() || v.size() > layout::id::kNameSize)
                 return "expects one to three characters";
             o.identity.name = v;
             return {};
         }},
        {"--version", identityByte(&IdentityBlock::version)},
        {"--date",
         [](UnitOptions &o, std::string_view v) -> std::string {
             const auto f = parseFields<3>(v, '.', {31, 12, 2255});
             if (!f || (*f)[0] < 1 || (*f)[1] < 1 || (*f)[2] < 2000)
                 return "expects D.M.YYYY with a year from 2000 to 2255";
             o.identity.day = static_cast<std::uint8_t>((*f)[0]);
             o.identity.month = static_cast<std::uint8_t>((*f)[1]);
             o.identity.year = (*f)[2];
             return {};
         }},
        {"--time",
         [](UnitOptions &o, std::string_view v) -> std::string {
             const auto f = parseFields<2>(v, ':', {23, 59});
             if (!f)
                 return "expects HH:MM";
             o.identity.hour = static_cast<std::uint8_t>((*f)[0]);
             o.identity.minute = static_cast<std::uint8_t>((*f)[1]);
             return {};
         }},
        {"--read-permission", identityByte(&IdentityBlock::readPermission)},
        {"--mark", identityByte(&IdentityBlock::compatibilityMark)},
        {"--models",
         [](UnitOptions &o, std::string_view v) -> std::string {
             const auto n = parseNumber(v, 0xFF, 16);
             if (!n)
                 return "expects a hexadecimal byte such as 1F";
             o.identity.modelMap[0] = static_cast<std::uint8_t>(*n);
             return {};
         }},
        {"--long-name",
         [](UnitOptions &o, std::string_view v) -> std::string {
             if (v.empty() || v.size() > layout::id::kLongNameSize)
                 return "expects one to 30 characters";
             o.identity.longName = v;
             return {};
         }},
        {"--image",
         [](UnitOptions &o, std::string_view v) -> std::string {
             if (v.empty())
                 return "expects a file name";
             o.imageFile = std::string(v);
             return {};
         }},
        {"--drop-every", faultCount(&FaultPlan::dropEvery)},
        {"--corrupt-every", faultCount(&FaultPlan::corruptEvery)},
        {"--wrong-command-every", faultCount(&FaultPlan::wrongCommandEvery)},
        {"--split-every", faultCount(&FaultPlan::splitEvery)},
        {"--split-pause",
         number(10000, [](UnitOptions &o,
                          unsigned n) { o.faults.splitPause = std::chrono::milliseconds(n); })},
        {"--stray", faultCount(&FaultPlan::strayBytes)},
        {"--stray-every", faultCount(&FaultPlan::strayEvery)},
        {"--alter-block",
         [](UnitOptions &o, std::string_view v) -> std::string {
             const auto n = parseNumber(v, layout::kBlockCount - 1);
             if (!n)
                 return "expects a block number from 0 to 5";
             o.faults.alterBlock = static_cast<std::uint8_t>(*n);
             return {};
         }},
        {"--alter-every", faultCount(&FaultPlan::alterEvery)},
        {"--silent-after", faultCount(&FaultPlan::silentAfter)},
        {"--hangup-after", faultCount(&FaultPlan::hangupAfter)},
    };
}

std::map<std::string_view, std::function<void(UnitOptions &)>> flagOptions()
{
    return {
        {"--help", [](UnitOptions &o) { o.help = true; }},
        {"-h", [](UnitOptions &o) { o.help = true; }},
        {"--pace", [](UnitOptions &o) { o.faults.pace = true; }},
        {"--no-pace", [](UnitOptions &o) { o.faults.pace = false; }},
        {"--file-identity", [](UnitOptions &o) { o.fileIdentity = true; }},
        {"--no-stdin", [](UnitOptions &o) { o.watchStdin = false; }},
    };
}

} // namespace

ParsedOptions parseUnitOptions(std::span<const std::string_view> args)
{
    const auto flags = flagOptions();
    const auto values = valueOptions();
    ParsedOptions out;
    UnitOptions &o = out.options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> value;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }

        if (const auto flag = flags.find(name); flag != flags.end()) {
            if (value) {
                out.error = std::string(name) + " takes no value";
                return out;
            }
            flag->second(o);
            continue;
        }
        const auto option = values.find(name);
        if (option == values.end()) {
            out.error = "unknown option " + std::string(args[i]);
            return out;
        }
        if (!value) {
            if (i + 1 == args.size()) {
                out.error = std::string(name) + " needs a value";
                return out;
            }
            value = args[++i];
        }
        if (std::string problem = option->second(o, *value); !problem.empty()) {
            out.error = std::string(name) + " " + problem + ", not '" + std::string(*value) + "'";
            return out;
        }
    }
    // Naming a block is asking for it to be altered: every reply of it, unless told otherwise.
    if (o.faults.alterBlock && o.faults.alterEvery == 0)
        o.faults.alterEvery = 1;
    return out;
}

std::string unitUsage()
{
    return R"(Usage: velmora-unit [options]

Simulates the engine-control unit on a pseudo-terminal. The first line printed is the
device path for the configurator to open; the unit then answers until SIGINT, SIGTERM,
end of standard input or a planned hang-up.

Identity (block 0):
  --name ABC              program name, up to three characters (VSU)
  --version N             version number 0..255 (7)
  --date D.M.YYYY         program date, year 2000..2255 (14.3.2024)
  --time HH:MM            program time (09:30)
  --read-permission N     1 lets the configurator read the stored blocks (1)
  --mark N                compatibility mark, 43 matches the configurator (43)
  --models HEX            model bitmap byte, bit m accepts model m (1F)
  --long-name TEXT        long name of up to 30 characters, written over map bytes 16..
Image:
  --image FILE            up to 600 decimal numbers, image bytes 0..599 (default: model-0
                          defaults); block 0 comes from the identity options ...
  --file-identity         ... unless this is given
Line:
  --pace / --no-pace      take as long as a 57600-baud line would (on)
  --drop-every N          leave every Nth reply out
  --corrupt-every N       spoil the check byte of every Nth reply
  --wrong-command-every N give every Nth reply another command byte
  --split-every N         send every Nth reply in two parts ...
  --split-pause MS        ... this many milliseconds apart (70)
  --stray K               write K junk bytes ahead of a reply ...
  --stray-every N         ... of every Nth reply (1)
  --alter-block B         change one byte in every echo or stored-block reply of block B
  --alter-every N         change one byte in every Nth block reply (blocks 1..5, or B)
  --silent-after N        answer nothing after the Nth request
  --hangup-after N        close the line after answering the Nth request
Program:
  --no-stdin              run until a signal even when standard input ends
  -h, --help              show this text
)";
}

} // namespace velmora::sim
