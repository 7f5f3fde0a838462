// From F9 to the end of the verify pass against the simulated unit over a pseudo-terminal, with
// the unit answering at the pace of a 57600-baud line. Prints ticks used and wall time next to
// the wire-time floor of the eleven exchanges.
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
#include <vector>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    velmora::sim::PtyUnit unit; // paced like a real line
    qputenv("VELMORA_COM1", QByteArray::fromStdString(unit.slavePath()));
    velmora::ui::SilentDialogs dialogs;
    velmora::ui::TFormHlav window(dialogs, {QStringLiteral("ENGLISH")});
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

    const double floorMs =
        11 * 2 *
        std::chrono::duration<double, std::milli>(velmora::sim::lineTime(102, 57600)).count();
    std::sort(walls.begin(), walls.end());
    std::printf("Program pass, F9 to verified (%d runs, paced pseudo-terminal)\n", runs);
    for (std::size_t i = 0; i < ticks.size(); ++i)
        std::printf("  run %zu: %llu ticks\n", i + 1, static_cast<unsigned long long>(ticks[i]));
    std::printf("  wall time: median %.1f ms, min %.1f ms, max %.1f ms\n", walls[walls.size() / 2],
                walls.front(), walls.back());
    std::printf("  wire-time floor: %.1f ms (11 exchanges x 2 frames)\n", floorMs);
    std::printf("  ratio median / floor: %.2f\n", walls[walls.size() / 2] / floorMs);
    return 0;
}
