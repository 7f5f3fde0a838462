#include "unit_options.h"

#include "model/identity.h"

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

std::optional<int> parseSigned(std::string_view text, int min, int max)
{
    if (text.starts_with('+'))
        text.remove_prefix(1);
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<FuelMap> fuelMapNamed(std::string_view name)
{
    if (name == "tp14")
        return FuelMap::Tp14;
    if (name == "tp23")
        return FuelMap::Tp23;
    if (name == "iap")
        return FuelMap::Iap;
    return std::nullopt;
}

// "map:cell:percent", e.g. tp14:23:6.
std::optional<CellError> parseCellError(std::string_view text)
{
    const auto first = text.find(':');
    const auto second = first == text.npos ? text.npos : text.find(':', first + 1);
    if (second == text.npos)
        return std::nullopt;
    const auto map = fuelMapNamed(text.substr(0, first));
    const auto cell = parseSigned(text.substr(first + 1, second - first - 1), 0,
                                  static_cast<int>(layout::kMapCells) - 1);
    const auto percent = parseSigned(text.substr(second + 1), -90, 200);
    if (!map || !cell || !percent)
        return std::nullopt;
    return CellError{*map, static_cast<std::size_t>(*cell), *percent};
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
// A requirement beyond this would leave the sensor's range in most cells.
constexpr unsigned kFieldMax = 50;

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

// Speed and load hold the engine at a point; everything else about the point can go with the
// idle or the sweep as well.
template <typename T> Handler speedOrLoad(T OperatingPoint::*field, unsigned max)
{
    return number(max, [field](UnitOptions &o, unsigned n) {
        o.engine.point.*field = static_cast<T>(n);
        o.engine.held = true;
    });
}

Handler temperature(int OperatingPoint::*field)
{
    return [field](UnitOptions &o, std::string_view v) -> std::string {
        const auto t = parseSigned(v, -40, 150);
        if (!t)
            return "expects degrees from -40 to 150";
        o.engine.point.*field = *t;
        return {};
    };
}

Handler tpLambdaMap()
{
    return [](UnitOptions &o, std::string_view v) -> std::string {
        const auto map = fuelMapNamed(v);
        if (!map || *map == FuelMap::Iap)
            return "expects tp14 or tp23";
        o.engine.tpLambdaMap = *map;
        return {};
    };
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
        {"--identity-version", identityByte(&IdentityBlock::version)},
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
        {"--rpm", speedOrLoad(&OperatingPoint::rpm, 20000)},
        {"--tps", speedOrLoad(&OperatingPoint::throttlePercent, 100)},
        {"--iap", speedOrLoad(&OperatingPoint::intakePercent, 100)},
        {"--coolant", temperature(&OperatingPoint::coolantCelsius)},
        {"--air", temperature(&OperatingPoint::airCelsius)},
        {"--ambient",
         number(200, [](UnitOptions &o, unsigned n) { o.engine.point.ambientKpa = n; })},
        {"--supply",
         number(30000, [](UnitOptions &o, unsigned n) { o.engine.point.supplyMv = n; })},
        {"--load-mode",
         [](UnitOptions &o, std::string_view v) -> std::string {
             if (v == "tp")
                 o.engine.point.loadMode = LoadMode::Throttle;
             else if (v == "iap")
                 o.engine.point.loadMode = LoadMode::IntakePressure;
             else
                 return "expects tp or iap";
             return {};
         }},
        {"--lean",
         [](UnitOptions &o, std::string_view v) -> std::string {
             const auto error = parseCellError(v);
             if (!error)
                 return "expects MAP:CELL:PERCENT with MAP tp14, tp23 or iap, CELL 0..99 and "
                        "PERCENT -90..200";
             o.engine.cellErrors.push_back(*error);
             return {};
         }},
        {"--lambda-map", tpLambdaMap()},
        {"--sensor",
         [](UnitOptions &o, std::string_view v) -> std::string {
             if (v == "narrow")
                 o.engine.lambdaCurve = LambdaCurve::NarrowBand;
             else if (v == "gentle")
                 o.engine.lambdaCurve = LambdaCurve::Gentle;
             else
                 return "expects narrow or gentle";
             return {};
         }},
        {"--field",
         number(kFieldMax, [](UnitOptions &o, unsigned n) { o.engine.fieldPercent = n; })},
        {"--noise", number(1000, [](UnitOptions &o, unsigned n) { o.engine.noiseMv = n; })},
        {"--seed", number(0xFFFFFFFFu, [](UnitOptions &o, unsigned n) { o.engine.seed = n; })},
        {"--iap-count", number(0xFFFF,
                               [](UnitOptions &o, unsigned n) {
                                   o.engine.faults.intakePressureCount =
                                       static_cast<std::uint16_t>(n);
                               })},
        {"--unit-version", number(255,
                                  [](UnitOptions &o, unsigned n) {
                                      o.engine.faults.programVersion = static_cast<std::uint8_t>(n);
                                  })},
        {"--speed-alarm",
         [](UnitOptions &o, std::string_view v) -> std::string {
             if (v == "1")
                 o.engine.faults.speedAlarm1 = true;
             else if (v == "2")
                 o.engine.faults.speedAlarm2 = true;
             else
                 return "expects 1 or 2";
             return {};
         }},
    };
}

std::map<std::string_view, std::function<void(UnitOptions &)>> flagOptions()
{
    return {
        {"--help", [](UnitOptions &o) { o.help = true; }},
        {"-h", [](UnitOptions &o) { o.help = true; }},
        {"--version", [](UnitOptions &o) { o.version = true; }},
        {"--pace", [](UnitOptions &o) { o.faults.pace = true; }},
        {"--no-pace", [](UnitOptions &o) { o.faults.pace = false; }},
        {"--file-identity", [](UnitOptions &o) { o.fileIdentity = true; }},
        {"--no-stdin", [](UnitOptions &o) { o.watchStdin = false; }},
        {"--map-hold", [](UnitOptions &o) { o.engine.point.mapHold = true; }},
        {"--sweep", [](UnitOptions &o) { o.engine.sweep = true; }},
        {"--route", [](UnitOptions &o) { o.engine.route = true; }},
        {"--iap-fault",
         [](UnitOptions &o) {
             o.engine.faults.intakePressureCount = UnitFaults::kIntakeCountShorted;
         }},
        {"--tps-fault",
         [](UnitOptions &o) { o.engine.faults.throttlePercent = UnitFaults::kThrottleOverrange; }},
        {"--coolant-fault", [](UnitOptions &o) { o.engine.faults.coolantSensor = true; }},
        {"--air-fault", [](UnitOptions &o) { o.engine.faults.airSensor = true; }},
        {"--servo-fault", [](UnitOptions &o) { o.engine.faults.servo = true; }},
        {"--data-error", [](UnitOptions &o) { o.engine.faults.storedData = true; }},
        {"--blocking", [](UnitOptions &o) { o.engine.faults.blocking = true; }},
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
    if (o.engine.held && o.engine.sweep)
        out.error = "--sweep moves speed and load itself: give it without --rpm, --tps or --iap";
    else if (o.engine.route && (o.engine.held || o.engine.sweep))
        out.error = "--route moves speed and load itself: give it without --rpm, --tps, --iap or "
                    "--sweep";
    return out;
}

std::string unitUsage()
{
    const std::string mark = std::to_string(kCompatibilityMark);
    const std::string programVersion = std::to_string(kOwnProgramVersion);
    return R"(Usage: velmora-unit [options]

Simulates the engine-control unit on a pseudo-terminal. The first line printed is the
device path for the configurator to open; the unit then answers until SIGINT, SIGTERM,
end of standard input or a planned hang-up.

Identity (block 0):
  --name ABC              program name, up to three characters (VSU)
  --identity-version N    version number 0..255 (7)
  --date D.M.YYYY         program date, year 2000..2255 (14.3.2024)
  --time HH:MM            program time (09:30)
  --read-permission N     1 lets the configurator read the stored blocks (1)
  --mark N                compatibility mark, )" +
           mark + " matches the configurator (" + mark + R"()
  --models HEX            model bitmap byte, bit m accepts model m (1F)
  --long-name TEXT        long name of up to 30 characters, written over map bytes 16..
Image:
  --image FILE            a parameter file (.ign), or up to 600 decimal numbers for image
                          bytes 0..599 (default: model-0 defaults); block 0 comes from the
                          identity options ...
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
Engine (without --rpm, --tps, --iap, --sweep or --route it idles at 1250..1450 rpm):
  --rpm N                 hold this speed, 0..20000 rpm
  --tps N                 hold this throttle opening, 0..100 %
  --iap N                 hold this intake pressure, 0..100 % (35)
  --sweep                 ride slowly through a few cells of every map and back
  --route                 ride once (about 8 minutes) from a cold start through nearly every
                          cell of every map, TP maps first, then the IAP map, then idle; the
                          order of the rows and the holds come from --seed
  --coolant C             coolant temperature, -40..150 degrees (85)
  --air C                 air temperature, -40..150 degrees (25)
  --ambient KPA           ambient pressure (101.3)
  --supply MV             supply voltage; low or high values show as faults (13800)
  --map-hold              report the map hold
  --load-mode tp|iap      load from the throttle (TP maps) or the intake pressure (IAP map);
                          by default the throttle, whatever TP mode the image holds
Lambda:
  --lean MAP:CELL:P       the engine needs P % more fuel than 100 in CELL (0..99, 10 row +
                          column) of MAP (tp14, tp23 or iap); negative P is rich; repeatable
  --lambda-map tp14|tp23  TP map whose mixture the sensor reads (tp14)
  --sensor narrow|gentle  narrow: a steep switch from 100 to 900 mV around the right mixture,
                          800 mV about 3 % rich; gentle: 20 mV per % around 800 mV (gentle)
  --field P               the engine needs 100 +- up to P % (0..50) in every cell of every
                          map: a few smooth random bumps from --seed (0)
  --noise MV              lambda noise within +-MV (0)
  --seed N                seed of the noise, the route and the field (1)
Sensor and unit faults:
  --iap-fault             intake pressure count below its range
  --iap-count N           intake pressure count as given, e.g. 4050 (above its range)
  --tps-fault             throttle opening 110 %
  --coolant-fault         open coolant sensor
  --air-fault             open air sensor
  --servo-fault           servo reported not in order
  --data-error            stored-data error
  --unit-version N        program version byte ()" +
           programVersion + R"()
  --speed-alarm 1|2       raise speed alarm 1 or 2; repeatable
  --blocking              report blocking
Program:
  --no-stdin              run until a signal even when standard input ends
  -h, --help              show this text
  --version               show the release of velmora-unit
)";
}

} // namespace velmora::sim
