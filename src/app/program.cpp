#include "program.h"

#include "app/application.h"
#include "app/command_line.h"
#include "app/signal_closer.h"
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

namespace velmora::app {

int runProgram(int &argc, char **argv, const WindowShown &shown)
{
    Application app(argc, argv);
    // No display name: the X11 platform would append it to the window's title, which must read
    // exactly as the language's caption.
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationVersion(QString::fromLatin1(kReleaseVersion));
    QApplication::setWindowIcon(ui::logoIcon());

    const auto options = parseCommandLine(QApplication::arguments());
    if (options.help) {
        std::fputs(usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("velmora %s\n", qPrintable(QApplication::applicationVersion()));
        return 0;
    }

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
        for (int n = link::kFirstComPort; n <= link::kLastComPort; ++n)
            qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1().constData(),
                    QByteArray::fromStdString(demoUnit->slavePath()));
    }

    ui::MessageBoxDialogs dialogs;
    try {
        ui::TFormHlav window(dialogs, options.arguments);
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
