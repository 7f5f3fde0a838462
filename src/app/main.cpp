#include "app/application.h"
#include "app/command_line.h"
#include "link/port_names.h"
#include "sim/engine_options.h"
#include "sim/pty_unit.h"
#include "ui/dialogs.h"
#include "ui/tformhlav.h"

#include <cstdio>
#include <exception>
#include <memory>

int main(int argc, char *argv[])
{
    velmora::app::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora 05"));
    QApplication::setApplicationVersion(QStringLiteral("0.1"));

    const auto options = velmora::app::parseCommandLine(QApplication::arguments());
    if (options.help) {
        std::fputs(velmora::app::usageText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("velmora %s\n", qPrintable(QApplication::applicationVersion()));
        return 0;
    }

    // In demo mode every COM port leads to a simulated unit on a pseudo-terminal of our own.
    std::unique_ptr<velmora::sim::PtyUnit> demoUnit;
    if (options.demo) {
        try {
            demoUnit = std::make_unique<velmora::sim::PtyUnit>(
                velmora::sim::BlockStore{}, velmora::sim::FaultPlan{}, velmora::sim::demoEngine());
        } catch (const std::exception &e) {
            velmora::app::Application::showException(QString::fromLocal8Bit(e.what()));
            return 1;
        }
        for (int n = velmora::link::kFirstComPort; n <= velmora::link::kLastComPort; ++n)
            qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1().constData(),
                    QByteArray::fromStdString(demoUnit->slavePath()));
    }

    velmora::ui::MessageBoxDialogs dialogs;
    try {
        velmora::ui::TFormHlav window(dialogs, options.arguments);
        window.show();
        return app.exec();
    } catch (const std::exception &e) {
        velmora::app::Application::showException(QString::fromLocal8Bit(e.what()));
        return 1;
    }
}
