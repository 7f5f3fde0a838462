// From F9 to the end of the verify pass against the simulated unit over a pseudo-terminal, with
// the unit answering at the pace of a 57600-baud line. Prints ticks used and wall time next to
// the floors of the eleven exchanges: their wire time, and one tick each, since a tick drains at
// most one reply and only one request is outstanding.
//
//   velmora_program_bench [RUNS] [--json]
#include "sim/fault_plan.h"
#include "sim/pty_unit.h"
#include "ui/dialogs.h"
#include "ui/tformhlav.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int runs = 5;
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0)
            json = true;
        else
            runs = std::max(1, std::atoi(argv[i]));
    }

    velmora::sim::PtyUnit unit; // paced like a real line
    velmora::ui::WindowOptions options;
    options.arguments = {QStringLiteral("ENGLISH")};
    options.settingsPath = velmora::files::defaultSettingsPath();
    options.portDevice = [device = unit.slavePath()](int, const velmora::files::SettingsFile &) {
        return device;
    };
    velmora::ui::SilentDialogs dialogs;
    velmora::ui::TFormHlav window(dialogs, std::move(options));
    window.show();

    auto *timer = window.findChild<QTimer *>(QStringLiteral("Timer1"));
    std::vector<double> walls;
    std::vector<quint64> ticks;
    for (int run = 0; run < runs; ++run) {
        QEventLoop loop; // not the application's: quitting that would close the window
        QElapsedTimer wall;
        quint64 startTick = 0;
        bool started = false;
        bool done = false;
        // Runs after the window's own tick handler, so it sees the state the tick left.
        const auto watch = QObject::connect(timer, &QTimer::timeout, [&] {
            if (started && !done &&
                window.link().transferMode() == velmora::link::TransferMode::Idle) {
                done = true;
                walls.push_back(wall.nsecsElapsed() / 1e6);
                ticks.push_back(window.tickCount() - startTick);
                loop.quit();
            }
        });
        QTimer::singleShot(200, [&] {
            startTick = window.tickCount();
            wall.start();
            window.MenuProgramClick();
            started = true;
        });
        loop.exec();
        QObject::disconnect(watch);
        if (!window.link().programDone()) {
            std::fprintf(stderr, "run %d did not end in a verified pass (%llu ticks)\n", run + 1,
                         static_cast<unsigned long long>(ticks.back()));
            return 1;
        }
    }

    constexpr int kExchanges = 11; // six blocks programmed, five verified
    const double floorMs =
        kExchanges * 2 *
        std::chrono::duration<double, std::milli>(velmora::sim::lineTime(102, 57600)).count();
    std::sort(walls.begin(), walls.end());
    std::vector<quint64> sortedTicks = ticks;
    std::sort(sortedTicks.begin(), sortedTicks.end());
    const double wallMedian = walls[walls.size() / 2];
    if (json) {
        std::printf("{\"runs\": %d, \"ticks_median\": %llu, \"ticks_min\": %llu, "
                    "\"ticks_max\": %llu, \"ticks_floor\": %d, \"wall_ms_median\": %.3f, "
                    "\"wall_ms_min\": %.3f, \"wall_ms_max\": %.3f, \"wall_ms_floor\": %.3f}\n",
                    runs, static_cast<unsigned long long>(sortedTicks[sortedTicks.size() / 2]),
                    static_cast<unsigned long long>(sortedTicks.front()),
                    static_cast<unsigned long long>(sortedTicks.back()), kExchanges, wallMedian,
                    walls.front(), walls.back(), floorMs);
        return 0;
    }
    std::printf("Program pass, F9 to verified (%d runs, paced pseudo-terminal)\n", runs);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        std::printf("  run %zu: %llu ticks\n", i + 1, static_cast<unsigned long long>(ticks[i]));
    std::printf("  tick floor: %d (one exchange per tick)\n", kExchanges);
    std::printf("  wall time: median %.1f ms, min %.1f ms, max %.1f ms\n", wallMedian,
                walls.front(), walls.back());
    std::printf("  wire-time floor: %.1f ms (%d exchanges x 2 frames)\n", floorMs, kExchanges);
    std::printf("  ratio median / floor: %.2f\n", wallMedian / floorMs);
    return 0;
}
