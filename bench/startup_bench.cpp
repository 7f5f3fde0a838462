// Start-up of the real program, launched afresh each time: from starting the process to the end
// of the first paint of the main window (the 406 cells built, the settings and image files read,
// the language applied, the simulated unit of --demo running behind COM1), and the resident
// memory at that moment. The child runs the program's own start path; the parent times each
// launch on the monotonic clock both share, and prints the medians.
//
//   velmora_startup_bench [--launches N] [--json]
#include "app/program.h"
#include "ui/tformhlav.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kChildOption[] = "--startup-child";
constexpr int kDefaultLaunches = 7;
constexpr int kLaunchTimeoutMs = 60000;

long long monotonicNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

long residentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// Reports once the first paint pass of the window has run to its end, then closes the window as
// a user would, so the settings and image files are written for the next launch to read.
class FirstPaintProbe : public QObject {
public:
    explicit FirstPaintProbe(velmora::ui::TFormHlav &window) : QObject(&window), m_window(window)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == &m_window && event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // The children of the window are painted in the same pass, after the window itself.
            QTimer::singleShot(0, &m_window, [this] {
                std::printf("shown_ns=%lld rss_kb=%ld\n", monotonicNs(), residentKb());
                std::fflush(stdout);
                m_window.close();
            });
        }
        return false;
    }

private:
    velmora::ui::TFormHlav &m_window;
    bool m_seen = false;
};

int runChild(int argc, char **argv)
{
    std::vector<char *> args;
    for (int i = 0; i < argc; ++i)
        if (std::strcmp(argv[i], kChildOption) != 0)
            args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    return velmora::app::runProgram(
        count, args.data(), [](velmora::ui::TFormHlav &window) { new FirstPaintProbe(window); });
}

struct Launch {
    double ms = 0;
    long rssKb = 0;
};

std::optional<long long> valueOf(const QByteArray &output, const QByteArray &key)
{
    for (const QByteArray &word : output.simplified().split(' ')) {
        if (word.startsWith(key + '=')) {
            bool ok = false;
            const long long v = word.mid(key.size() + 1).toLongLong(&ok);
            if (ok)
                return v;
        }
    }
    return std::nullopt;
}

std::optional<Launch> launchOnce(const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments(
        {QString::fromLatin1(kChildOption), QStringLiteral("--demo"), QStringLiteral("ENGLISH")});
    child.setProcessEnvironment(environment);
    const long long launched = monotonicNs();
    child.start();
    const bool finished = child.waitForStarted() && child.waitForFinished(kLaunchTimeoutMs);
    const QByteArray output = child.readAllStandardOutput();
    const auto shown = valueOf(output, "shown_ns");
    const auto rss = valueOf(output, "rss_kb");
    if (!finished || child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0 ||
        !shown || !rss) {
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished();
        }
        std::fprintf(stderr, "a launch did not report its first shown window (%s)\n%s",
                     qPrintable(child.errorString()), child.readAllStandardError().constData());
        return std::nullopt;
    }
    return Launch{(*shown - launched) / 1e6, static_cast<long>(*rss)};
}

template <typename T> T median(std::vector<T> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int runParent(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int launches = kDefaultLaunches;
    bool json = false;
    const QStringList words = QCoreApplication::arguments();
    for (qsizetype i = 1; i < words.size(); ++i) {
        if (words[i] == QLatin1String("--json"))
            json = true;
        else if (words[i] == QLatin1String("--launches") && i + 1 < words.size())
            launches = std::max(1, words[++i].toInt());
        else {
            std::fprintf(stderr, "usage: velmora_startup_bench [--launches N] [--json]\n");
            return 2;
        }
    }

    // A settings folder of our own: the user's files are neither read nor overwritten.
    QTemporaryDir config;
    if (!config.isValid()) {
        std::fprintf(stderr, "no temporary folder for the settings\n");
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString platform =
        environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("default"));

    // The first launch writes the settings and image files that every timed launch then reads,
    // and brings the program and its libraries into the page cache.
    if (!launchOnce(environment))
        return 1;
    std::vector<double> times;
    std::vector<long> rss;
    for (int i = 0; i < launches; ++i) {
        const auto launch = launchOnce(environment);
        if (!launch)
            return 1;
        times.push_back(launch->ms);
        rss.push_back(launch->rssKb);
    }

    const auto [minTime, maxTime] = std::minmax_element(times.begin(), times.end());
    const auto [minRss, maxRss] = std::minmax_element(rss.begin(), rss.end());
    if (json) {
        std::printf("{\"launches\": %d, \"platform\": \"%s\", \"startup_ms_median\": %.3f, "
                    "\"startup_ms_min\": %.3f, \"startup_ms_max\": %.3f, \"rss_kb_median\": %ld, "
                    "\"rss_kb_min\": %ld, \"rss_kb_max\": %ld}\n",
                    launches, qPrintable(platform), median(times), *minTime, *maxTime, median(rss),
                    *minRss, *maxRss);
        return 0;
    }
    std::printf("Start-up to the first shown window (%d launches with --demo, platform %s)\n",
                launches, qPrintable(platform));
    std::printf("  time: median %.1f ms, min %.1f ms, max %.1f ms\n", median(times), *minTime,
                *maxTime);
    std::printf("  resident memory after start-up: median %.1f MiB, min %.1f MiB, max %.1f MiB\n",
                median(rss) / 1024.0, *minRss / 1024.0, *maxRss / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], kChildOption) == 0)
            return runChild(argc, argv);
    return runParent(argc, argv);
}
