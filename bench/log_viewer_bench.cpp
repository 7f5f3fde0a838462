// Opening a six-hour ride log in the log viewer, off screen: the file read whole, the
// lambda-by-cell tables, the series of the default channels reduced to the plot's pixel columns,
// and the first paint of the window (taken with grab()). The log (about 65,000 rows, one monitor
// reply every 330 ms) is written into a temporary file first. Prints the median of several
// openings against the goal of under a second on a 2-core machine.
//
//   velmora_log_viewer_bench [--opens N] [--json]
#include "log/ride_log.h"
#include "ride_sample.h"
#include "ui/log_viewer.h"

#include <QApplication>
#include <QLineSeries>
#include <QPixmap>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kRideSeconds = 6 * 3600;
constexpr int kDefaultOpens = 5;
constexpr double kGoalMs = 1000;

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const auto options = velmora::bench::rideBenchOptions(argc, argv, "velmora_log_viewer_bench",
                                                          "--opens", kDefaultOpens);
    if (!options)
        return 2;
    const velmora::bench::RideFile ride("velmora-log-viewer-bench", kRideSeconds);
    const std::filesystem::path &path = ride.path();
    const int rows = ride.rows();
    if (rows < 0)
        return 1;

    using Clock = std::chrono::steady_clock;
    std::vector<double> openMs;
    int drawn = 0;
    for (int i = 0; i < options->runs; ++i) {
        const auto begin = Clock::now();
        velmora::log::LogReadResult read = velmora::log::readRideLog(path);
        if (!read.log || static_cast<int>(read.log->seconds.size()) != rows) {
            std::fprintf(stderr, "the ride did not read back whole\n");
            return 1;
        }
        velmora::ui::LogViewer viewer(std::move(*read.log), QString::fromStdString(path.string()),
                                      {}, 1);
        viewer.show();
        const QPixmap picture = viewer.grab();
        const auto end = Clock::now();
        // The plot draws a reduction, never the whole ride point by point.
        drawn = static_cast<int>(viewer.series(0)->count());
        if (picture.isNull() || drawn == 0 || drawn >= rows) {
            std::fprintf(stderr, "the viewer did not draw the ride (%d points)\n", drawn);
            return 1;
        }
        openMs.push_back(std::chrono::duration<double, std::milli>(end - begin).count());
    }

    using velmora::bench::median;
    if (options->json) {
        std::printf("{\"rows\": %d, \"points_drawn\": %d, \"viewer_open_ms_median\": %.2f}\n", rows,
                    drawn, median(openMs));
        return 0;
    }
    std::printf("A six-hour ride log in the viewer: %d rows, %d speed points drawn\n", rows, drawn);
    std::printf("  opened and painted (median of %d): %8.1f ms   goal: under %.0f ms\n",
                options->runs, median(openMs), kGoalMs);
    return 0;
}
