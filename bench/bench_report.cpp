// Runs every benchmark found beside this program and prints their figures in one table, each next
// to its goal, or, for the figures that a 57600-baud line and the 55 ms tick bound from below, next
// to that floor. A missed goal is a row of the table, not a failure: the exit status is non-zero
// only when a benchmark cannot be run or its output lacks a figure.
//
//   velmora_bench_report
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

constexpr int kTimeoutMs = 10 * 60 * 1000;

enum class Output {
    GoogleBenchmark, // Google Benchmark's JSON file: one time per run name
    FlatJson,        // one JSON object of named numbers on the last line of standard output
};

struct Benchmark {
    const char *program;
    Output output;
    QStringList arguments;
};

// Short benchmarks are repeated and their median taken, so one slow moment of a shared machine
// does not decide a row.
const Benchmark kBenchmarks[] = {
    {"velmora_bench",
     Output::GoogleBenchmark,
     {"--benchmark_min_time=0.1", "--benchmark_repetitions=5"}},
    {"velmora_files_bench",
     Output::GoogleBenchmark,
     {"--benchmark_min_time=0.1", "--benchmark_repetitions=5"}},
    {"velmora_link_bench",
     Output::GoogleBenchmark,
     {"--benchmark_min_time=0.1", "--benchmark_repetitions=5"}},
    {"velmora_ui_bench", Output::GoogleBenchmark, {"--benchmark_min_time=0.2"}},
    {"velmora_program_bench", Output::FlatJson, {"--json"}},
    {"velmora_tuning_bench", Output::FlatJson, {"--json"}},
    {"velmora_startup_bench", Output::FlatJson, {"--json"}},
    {"velmora_log_bench", Output::FlatJson, {"--json"}},
    {"velmora_analysis_bench", Output::FlatJson, {"--json"}},
    {"velmora_ride_convergence_bench", Output::FlatJson, {"--json"}},
    {"velmora_log_viewer_bench", Output::FlatJson, {"--json"}},
};

enum class Kind { Duration, Ticks, Memory, Percent };

struct Row {
    const char *figure;
    const char *program;
    const char *key; // a run name (a prefix of it is enough) or a key of the flat JSON
    Kind kind;
    double scale;                    // to nanoseconds, ticks or kibibytes
    std::optional<double> goal = {}; // an upper bound in the same unit, where one is set
    const char *floorKey = nullptr;  // instead of a goal: the floor the same benchmark prints
    bool goalIsLowest = false;       // the goal is a lower bound
    // A key that is 0 when the benchmark stopped at its cap: the figure is then "more than".
    const char *reachedKey = nullptr;
};

// Goals are upper bounds in the row's unit; figures that a 57600-baud line and the 55 ms tick
// bound from below are set against that floor instead. Start-up and memory are our own bounds: a
// window within a second, and room beside everything else a workshop laptop runs.
constexpr double kMicrosecond = 1e3;
constexpr double kMillisecond = 1e6;
constexpr double kSecond = 1e9;
const Row kRows[] = {
    {"Consistency pass", "velmora_bench", "BM_ConsistencyPass", Kind::Duration, 1, kMicrosecond},
    {"Default setting", "velmora_bench", "BM_DefaultSetting", Kind::Duration, 1, kMicrosecond},
    {"After-change step, 406 cells (median of 7)", "velmora_ui_bench", "BM_AfterChangeStep",
     Kind::Duration, 1, 3 * kMillisecond},
    {"Monitor decode", "velmora_link_bench", "BM_DecodeMonitorReply/extended:0", Kind::Duration, 1,
     10 * kMicrosecond},
    {"Monitor decode, extended", "velmora_link_bench", "BM_DecodeMonitorReply/extended:1",
     Kind::Duration, 1, 10 * kMicrosecond},
    {"Monitor display on the window", "velmora_ui_bench", "BM_ShowMonitor", Kind::Duration, 1,
     kMillisecond},
    {"Parameter file write + read", "velmora_files_bench", "BM_WriteAndReadParameterFile",
     Kind::Duration, 1, 50 * kMicrosecond},
    {"10 MB file read", "velmora_files_bench", "BM_ReadTenMegabytesOfWords", Kind::Duration, 1,
     1000 * kMillisecond},
    // One tick per exchange, with at most one more for a late drain.
    {"Program pass, ticks (median)", "velmora_program_bench", "ticks_median", Kind::Ticks, 1, 12,
     "ticks_floor"},
    {"Program pass, wall time (median)",
     "velmora_program_bench",
     "wall_ms_median",
     Kind::Duration,
     kMillisecond,
     {},
     "wall_ms_floor"},
    {"Tuning convergence, ticks",
     "velmora_tuning_bench",
     "ticks",
     Kind::Ticks,
     1,
     {},
     "ticks_floor"},
    {"Start-up to first shown window (median)", "velmora_startup_bench", "startup_ms_median",
     Kind::Duration, kMillisecond, 1000 * kMillisecond},
    {"Resident memory after start-up (median)", "velmora_startup_bench", "rss_kb_median",
     Kind::Memory, 1, 100 * 1024},
    {"6-hour ride log read + lambda by cell (median)", "velmora_log_bench", "open_ms_median",
     Kind::Duration, kMillisecond, 1000 * kMillisecond},
    {"Map analysis: cells within one step after ride 1", "velmora_ride_convergence_bench",
     "share_ride1", Kind::Percent, 1},
    {"Map analysis: cells within one step after ride 2", "velmora_ride_convergence_bench",
     "share_ride2", Kind::Percent, 1},
    {"Map analysis: cells within one step after ride 3", "velmora_ride_convergence_bench",
     "share_ride3", Kind::Percent, 1, 90, nullptr, true},
    {"One-cell tuning: ride time to the same share",
     "velmora_ride_convergence_bench",
     "one_cell_s",
     Kind::Duration,
     kSecond,
     {},
     nullptr,
     false,
     "one_cell_reached"},
    {"6-hour ride log map analysis (median)", "velmora_analysis_bench", "analysis_ms_median",
     Kind::Duration, kMillisecond, 1000 * kMillisecond},
    {"6-hour ride log read + map analysis (median)", "velmora_analysis_bench",
     "read_analysis_ms_median", Kind::Duration, kMillisecond, 1000 * kMillisecond},
    {"6-hour ride log opened in the viewer, first paint (median)", "velmora_log_viewer_bench",
     "viewer_open_ms_median", Kind::Duration, kMillisecond, 1000 * kMillisecond},
};

using Figures = QHash<QString, double>;

double toNanoseconds(double value, const QString &unit)
{
    if (unit == QLatin1String("us"))
        return value * 1e3;
    if (unit == QLatin1String("ms"))
        return value * 1e6;
    if (unit == QLatin1String("s"))
        return value * 1e9;
    return value;
}

// The real time of each run by its run name; of repeated runs only the median counts.
std::optional<Figures> googleFigures(const QByteArray &json, QJsonObject &context)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    context = document.object().value(QLatin1String("context")).toObject();
    Figures figures;
    QHash<QString, bool> fromMedian;
    for (const QJsonValue &value : document.object().value(QLatin1String("benchmarks")).toArray()) {
        const QJsonObject run = value.toObject();
        const QString name = run.value(QLatin1String("run_name")).toString();
        const bool aggregate =
            run.value(QLatin1String("run_type")).toString() == QLatin1String("aggregate");
        if (aggregate &&
            run.value(QLatin1String("aggregate_name")).toString() != QLatin1String("median"))
            continue;
        if (!aggregate && fromMedian.value(name))
            continue;
        figures[name] = toNanoseconds(run.value(QLatin1String("real_time")).toDouble(),
                                      run.value(QLatin1String("time_unit")).toString());
        fromMedian[name] = aggregate;
    }
    return figures;
}

std::optional<Figures> flatFigures(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    const QJsonDocument document = QJsonDocument::fromJson(lines.last());
    if (!document.isObject())
        return std::nullopt;
    Figures figures;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.value().isDouble())
            figures[it.key()] = it.value().toDouble();
    return figures;
}

std::optional<double> lookUp(const Figures &figures, const QString &key)
{
    if (const auto it = figures.find(key); it != figures.end())
        return *it;
    // A fixed iteration count is appended to the run name ("/iterations:3").
    for (auto it = figures.begin(); it != figures.end(); ++it)
        if (it.key().startsWith(key + QLatin1Char('/')))
            return *it;
    return std::nullopt;
}

QString threeFigures(double v)
{
    return QString::number(v, 'f', v >= 100 ? 0 : v >= 10 ? 1 : 2);
}

QString ratioText(double ratio)
{
    return ratio < 0.1 ? QString::number(ratio, 'g', 2) : QString::number(ratio, 'f', 2);
}

QString formatted(double value, Kind kind)
{
    switch (kind) {
    case Kind::Ticks:
        return QStringLiteral("%1 ticks").arg(value, 0, 'f', 0);
    case Kind::Memory:
        return QStringLiteral("%1 MiB").arg(value / 1024.0, 0, 'f', 1);
    case Kind::Percent:
        return QStringLiteral("%1 %").arg(value, 0, 'f', 1);
    case Kind::Duration:
        break;
    }
    if (value < 1e3)
        return threeFigures(value) + QStringLiteral(" ns");
    if (value < 1e6)
        return threeFigures(value / 1e3) + QStringLiteral(" µs");
    if (value < 1e9)
        return threeFigures(value / 1e6) + QStringLiteral(" ms");
    return threeFigures(value / 1e9) + QStringLiteral(" s");
}

struct Result {
    bool ran = false;
    Figures figures;
};

Result run(const Benchmark &benchmark, const QDir &here, const QTemporaryDir &work,
           QJsonObject &context)
{
    Result result;
    const QString name = QString::fromLatin1(benchmark.program);
    const QString path = here.filePath(name);
    if (!QFileInfo(path).isExecutable()) {
        std::fprintf(stderr, "  %s: not found beside the report (build it first)\n",
                     qPrintable(name));
        return result;
    }
    QStringList arguments = benchmark.arguments;
    const QString out = work.filePath(name + QStringLiteral(".json"));
    if (benchmark.output == Output::GoogleBenchmark)
        arguments << QStringLiteral("--benchmark_out=%1").arg(out)
                  << QStringLiteral("--benchmark_out_format=json");

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The window reads its settings file at start; a user's own (another COM port, say) must
    // neither steer a benchmark nor be overwritten by one.
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(path, arguments);
    if (!process.waitForStarted() || !process.waitForFinished(kTimeoutMs)) {
        std::fprintf(stderr, "  %s: %s\n", qPrintable(name), qPrintable(process.errorString()));
        process.kill();
        process.waitForFinished();
        return result;
    }
    const QByteArray output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "  %s: exit status %d\n%s%s", qPrintable(name), process.exitCode(),
                     output.constData(), process.readAllStandardError().constData());
        return result;
    }

    std::optional<Figures> figures;
    if (benchmark.output == Output::GoogleBenchmark) {
        QFile file(out);
        if (file.open(QIODevice::ReadOnly))
            figures = googleFigures(file.readAll(), context);
    } else {
        figures = flatFigures(output);
    }
    if (!figures) {
        std::fprintf(stderr, "  %s: output is not the expected JSON\n%s", qPrintable(name),
                     output.constData());
        return result;
    }
    std::fprintf(stderr, "  %s: %.1f s\n", qPrintable(name), clock.elapsed() / 1000.0);
    result.ran = true;
    result.figures = *figures;
    return result;
}

void printTable(const std::vector<QStringList> &rows)
{
    std::vector<qsizetype> widths(rows.front().size(), 0);
    for (const QStringList &row : rows)
        for (qsizetype c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    const auto line = [&](const QStringList &row) {
        QString text = QStringLiteral("|");
        for (qsizetype c = 0; c < row.size(); ++c) {
            // The figure's name reads from the left, the numbers line up on the right.
            const QString cell = c == 0 || c == 4 ? row[c].leftJustified(widths[c])
                                                  : row[c].rightJustified(widths[c]);
            text += QLatin1Char(' ') + cell + QStringLiteral(" |");
        }
        std::printf("%s\n", text.toUtf8().constData());
    };
    line(rows.front());
    QStringList rule;
    for (qsizetype c = 0; c < qsizetype(widths.size()); ++c)
        rule << QString(widths[c], QLatin1Char('-'));
    line(rule);
    for (std::size_t r = 1; r < rows.size(); ++r)
        line(rows[r]);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1) {
        std::fprintf(stderr,
                     "usage: velmora_bench_report\n"
                     "Runs the benchmarks beside it and prints their figures in a table.\n");
        return 2;
    }
    const QDir here(QCoreApplication::applicationDirPath());
    QTemporaryDir work;
    if (!work.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }

    std::fprintf(stderr, "Running the benchmarks in %s\n", qPrintable(here.path()));
    QHash<QString, Result> results;
    QJsonObject context;
    bool allRan = true;
    for (const Benchmark &benchmark : kBenchmarks) {
        Result result = run(benchmark, here, work, context);
        allRan = allRan && result.ran;
        results.insert(QString::fromLatin1(benchmark.program), std::move(result));
    }

    std::vector<QStringList> table;
    table.push_back({QStringLiteral("figure"), QStringLiteral("measured"), QStringLiteral("goal"),
                     QStringLiteral("ratio"), QStringLiteral("met?")});
    const QString none = QStringLiteral("—");
    for (const Row &row : kRows) {
        const Result &result = results.value(QString::fromLatin1(row.program));
        const QString figure = QString::fromUtf8(row.figure);
        const auto measured = lookUp(result.figures, QString::fromLatin1(row.key));
        if (!result.ran || !measured) {
            if (result.ran) {
                std::fprintf(stderr, "  %s printed no %s\n", row.program, row.key);
                allRan = false;
            }
            table.push_back({figure, QStringLiteral("not run"), none, none, none});
            continue;
        }
        const double value = *measured * row.scale;
        QString bound = none, ratio = none, met = none;
        QString floorText;
        if (row.floorKey) {
            const auto floor = lookUp(result.figures, QString::fromLatin1(row.floorKey));
            if (floor && *floor > 0) {
                floorText = QStringLiteral("floor ") + formatted(*floor * row.scale, row.kind);
                bound = floorText;
                ratio = ratioText(value / (*floor * row.scale));
            } else {
                std::fprintf(stderr, "  %s printed no %s\n", row.program, row.floorKey);
                allRan = false;
            }
        }
        if (row.goal) {
            bound = (row.goalIsLowest ? QStringLiteral("≥ ") : QStringLiteral("≤ ")) +
                    formatted(*row.goal, row.kind);
            if (!floorText.isEmpty())
                bound += QStringLiteral(", ") + floorText;
            ratio = ratioText(value / *row.goal);
            const bool within = row.goalIsLowest ? value >= *row.goal : value <= *row.goal;
            met = within ? QStringLiteral("yes") : QStringLiteral("NO");
        }
        QString shown = formatted(value, row.kind);
        if (row.reachedKey &&
            lookUp(result.figures, QString::fromLatin1(row.reachedKey)).value_or(0) == 0)
            shown = QStringLiteral("> ") + shown;
        table.push_back({figure, shown, bound, ratio, met});
    }

    std::printf("\n");
    if (!context.isEmpty()) {
        const QJsonArray load = context.value(QLatin1String("load_avg")).toArray();
        std::printf("%s: %d CPUs at %d MHz, load %.2f\n\n",
                    qPrintable(context.value(QLatin1String("host_name")).toString()),
                    context.value(QLatin1String("num_cpus")).toInt(),
                    context.value(QLatin1String("mhz_per_cpu")).toInt(),
                    load.isEmpty() ? 0.0 : load.first().toDouble());
    }
    printTable(table);
    std::printf(
        "\nratio: measured / goal where a goal is set, else measured / floor.\n"
        "floors: the Program pass needs eleven exchanges, at most one a tick, each two "
        "frames\nat 57600 baud; tuning needs each 1 %% step to wait out the steady time.\n");
    return allRan ? 0 : 1;
}
