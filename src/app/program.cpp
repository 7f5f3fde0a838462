#include "program.h"

#include "app/application.h"
#include "app/command_line.h"
#include "app/signal_closer.h"
#include "files/settings_file.h"
#include "files/unit_history.h"
#include "link/port_names.h"
#include "release/release_version.h"
#include "sim/engine_options.h"
#include "sim/pty_unit.h"
#include "ui/dialogs.h"
#include "ui/logo.h"
#include "ui/tformhlav.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <utility>

namespace velmora::app {

int runProgram(int &argc, char **argv, const WindowShown &shown)
{
    // --help and --version answer before any platform is loaded, so they work on a terminal
    // without a display too.
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = parseCommandLine(words);
    if (early.help) {
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (early.version) {
        std::printf("velmora %s\n", kReleaseVersion);
        return 0;
    }

    Application app(argc, argv);
    // No display name: the X11 platform would append it to the window's title, which must read
    // exactly as the language's caption.
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationVersion(QString::fromLatin1(kReleaseVersion));
    QApplication::setWindowIcon(ui::logoIcon());
    // A Wayland compositor finds the desktop entry, and with it the icon, by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kApplicationId));

    // Qt has taken its own options out by now.
    const auto options = parseCommandLine(QApplication::arguments());

    // From here on kill, Ctrl+C and the end of the session close the window as its close button
    // does, also while a message box of the start-up is open.
    SignalCloser closer;

    // In demo mode every COM port leads to a simulated unit on a pseudo-terminal of our own.
    std::unique_ptr<sim::PtyUnit> demoUnit;
    if (options.demo) {
        try {
            demoUnit = std::make_unique<sim::PtyUnit>(sim::BlockStore{}, sim::FaultPlan{},
                                                      sim::demoEngine());
        } catch (const std::exception &e) {
            Application::showException(QString::fromLocal8Bit(e.what()));
            return 1;
        }
    }

    // The user's environment names the settings folder and may name the device of each port;
    // the window itself reads no environment.
    ui::WindowOptions windowOptions;
    windowOptions.arguments = options.arguments;
    windowOptions.settingsPath = files::defaultSettingsPath();
    windowOptions.historyFolder = files::UnitHistory::defaultFolder();
    // The ride logs lie beside the history, in the program's data folder.
    windowOptions.logFolder = files::dataFolder() / "logs";
    if (demoUnit) {
        windowOptions.portDevice =
            [device = demoUnit->slavePath()](int, const files::SettingsFile &) { return device; };
    } else {
        windowOptions.portDevice = [](int n, const files::SettingsFile &settings) {
            return link::comPortDevice(n, files::portTable(settings), link::processEnvironment);
        };
    }

    ui::MessageBoxDialogs dialogs;
    try {
        ui::TFormHlav window(dialogs, std::move(windowOptions));
        window.show();
        closer.setWindow(&window);
        if (shown)
            shown(window);
        return app.exec();
    } catch (const std::exception &e) {
        Application::showException(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}

} // namespace velmora::app
