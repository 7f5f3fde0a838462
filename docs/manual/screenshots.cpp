// Saves pictures of the window for the manual and for a person to look at:
//   velmora-screenshots OUTDIR [LANGUAGE] [MODEL] [--live]
// page0.png .. page6.png show each page, menu-<name>.png each menu of the menu bar, graphs0.png ..
// graphs4.png each page of the graphs window (the curves, then the three maps), log-viewer.png and
// log-lambda.png the two pages of the log viewer on a made-up ten-minute ride, analysis.png that
// ride's map analysis, logging.png the window while it logs a ride. With a model its defaults are
// set and the tuning group is opened. With --live a simulated unit holding those defaults runs
// behind the port, the window reads it first, and the pictures are taken once its monitor replies
// show a running engine.
// Run it off screen (QT_QPA_PLATFORM=offscreen) or under a real X server (xvfb-run).
#include "ride_sample.h"
#include "sim/block_store.h"
#include "sim/operating_point.h"
#include "sim/pty_unit.h"
#include "ui/analysis_window.h"
#include "ui/dialogs.h"
#include "ui/graphs_window.h"
#include "ui/log_viewer.h"
#include "ui/tformhlav.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <memory>

namespace {

using namespace velmora;

// Lets the window's timer and the link run until `done` holds; false when the deadline passed.
bool runUntil(const std::function<bool()> &done, int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool save(const QPixmap &picture, const QString &path)
{
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "velmora-screenshots: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList words = QApplication::arguments().mid(1);
    const bool live = words.removeAll(QStringLiteral("--live")) > 0;
    if (words.isEmpty() || words.first().startsWith(QLatin1Char('-'))) {
        std::fputs("usage: velmora-screenshots OUTDIR [LANGUAGE] [MODEL] [--live]\n", stderr);
        return 2;
    }
    const QString dir = words.takeFirst();
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "velmora-screenshots: cannot make %s\n", qPrintable(dir));
        return 1;
    }

    // The engine holds one operating point, so every picture shows the same live cells.
    const int model = words.size() > 1 ? words[1].toInt() : -1;
    std::unique_ptr<sim::PtyUnit> unit;
    if (live) {
        try {
            DeviceImage stored = sim::BlockStore::defaultImage();
            if (model >= 0) {
                stored[layout::kBike] = static_cast<std::uint8_t>(model);
                applyDefaults(stored);
            }
            unit = std::make_unique<sim::PtyUnit>(sim::BlockStore(stored));
            sim::OperatingPoint point;
            point.rpm = 4000;
            point.throttlePercent = 20;
            point.intakePercent = 55;
            point.loadMode = sim::LoadMode::Throttle;
            unit->setOperatingPoint(point);
        } catch (const std::exception &e) {
            std::fprintf(stderr, "velmora-screenshots: no simulated unit: %s\n", e.what());
            return 1;
        }
    }

    // Pictures of a fresh start: the user's own settings are neither read nor written.
    QTemporaryDir config;
    velmora::ui::WindowOptions options;
    if (!words.isEmpty())
        options.arguments << words.first();
    options.settingsPath = config.path().toStdString() + "/velmora/Velmora05.ini";
    options.logFolder = config.path().toStdString() + "/logs";
    options.portDevice = [device = unit ? unit->slavePath() : std::string()](
                             int, const files::SettingsFile &) { return device; };
    ui::SilentDialogs dialogs;
    ui::TFormHlav window(dialogs, std::move(options));
    if (model >= 0 && !unit) {
        window.image()[layout::kBike] = static_cast<std::uint8_t>(model);
        applyDefaults(window.image());
    }
    if (model >= 0) {
        window.findChild<QCheckBox *>(QStringLiteral("CheckBoxLadeniPovoleno"))->setChecked(true);
        window.afterChangeStep();
    }
    window.show();

    if (unit) {
        window.MenuReadClick();
        const auto read = [&] {
            return window.link().transferMode() == link::TransferMode::Idle &&
                   window.image() == unit->image();
        };
        if (!runUntil(read, 15000)) {
            std::fputs("velmora-screenshots: the simulated unit could not be read\n", stderr);
            return 1;
        }
        // Several monitor replies, so the gauges and the live cells have settled.
        if (!runUntil([&] { return window.link().live().speed != 0; }, 15000)) {
            std::fputs("velmora-screenshots: the simulated unit's monitor did not answer\n",
                       stderr);
            return 1;
        }
    }
    runUntil([] { return false; }, unit ? 1000 : 100);

    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        runUntil([] { return false; }, 100);
        if (!save(window.grab(), QStringLiteral("%1/page%2.png").arg(dir).arg(page)))
            return 1;
    }
    for (QAction *entry : window.menuBar()->actions()) {
        QMenu *menu = entry->menu();
        if (!menu)
            continue;
        menu->ensurePolished();
        menu->adjustSize();
        if (!save(menu->grab(), QStringLiteral("%1/menu-%2.png").arg(dir, menu->objectName())))
            return 1;
    }
    // The maps as a tuned engine has them, rising with load and speed, so that the pictures
    // of the graphs show a shape; the pages above show the defaults.
    for (const std::size_t map : {layout::kJetTp, layout::kJetTpi, layout::kJetIap})
        for (std::size_t r = 0; r < layout::kMapSide; ++r)
            for (std::size_t c = 0; c < layout::kMapSide; ++c)
                window.image()[map + layout::kMapSide * r + c] =
                    static_cast<std::uint8_t>(70 + 5 * r + (c < 5 ? 4 * c : 36 - 3 * c));
    window.afterChangeStep();
    window.MenuGraphsClick();
    ui::GraphsWindow *graphs = window.graphsWindow();
    graphs->resize(1200, 600);
    for (int page = 0; page < graphs->pages()->count(); ++page) {
        graphs->pages()->setCurrentIndex(page);
        runUntil([] { return false; }, 100);
        if (!save(graphs->grab(), QStringLiteral("%1/graphs%2.png").arg(dir).arg(page)))
            return 1;
    }

    const QString ride = config.filePath(QStringLiteral("ride.csv"));
    if (bench::writeRide(ride.toStdString(), 600) < 0 || !window.openLog(ride)) {
        std::fputs("velmora-screenshots: the made-up ride log did not open\n", stderr);
        return 1;
    }
    auto *viewer = window.findChild<ui::LogViewer *>(QStringLiteral("LogViewer"));
    viewer->resize(1150, 680);
    viewer->zoomTo({120, 420});
    viewer->setCursorTime(250);
    auto *viewerPages = viewer->findChild<QTabWidget *>(QStringLiteral("LogPages"));
    const char *viewerPictures[] = {"log-viewer.png", "log-lambda.png"};
    for (int page = 0; page < viewerPages->count(); ++page) {
        viewerPages->setCurrentIndex(page);
        runUntil([] { return false; }, 100);
        if (!save(viewer->grab(), dir + QLatin1Char('/') + QLatin1String(viewerPictures[page])))
            return 1;
    }

    // The same ride's map analysis, opened from the viewer, one cell excluded.
    viewer->findChild<QPushButton *>(QStringLiteral("LogViewerAnalyse"))->click();
    auto *review = window.findChild<ui::AnalysisWindow *>(QStringLiteral("AnalysisWindow"));
    if (!review) {
        std::fputs("velmora-screenshots: the map analysis did not open\n", stderr);
        return 1;
    }
    review->resize(1150, 640);
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c)
            if (review->shown().maps[0][std::size_t(r)][std::size_t(c)].proposes()) {
                review->setExcluded(0, r, c, true);
                r = c = 10;
            }
    runUntil([] { return false; }, 100);
    if (!save(review->grab(), dir + QStringLiteral("/analysis.png")))
        return 1;

    // A ride being logged: the log's time and rows at the right end of the status bar.
    pages->setCurrentIndex(0);
    window.MenuLogClick();
    if (!window.logging()) {
        std::fputs("velmora-screenshots: no log could be started\n", stderr);
        return 1;
    }
    runUntil([] { return false; }, 2100);
    if (!save(window.grab(), QStringLiteral("%1/logging.png").arg(dir)))
        return 1;
    return 0;
}
