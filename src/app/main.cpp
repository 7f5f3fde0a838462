#include "app/application.h"
#include "app/command_line.h"
#include "ui/dialogs.h"
#include "ui/tformhlav.h"

#include <cstdio>
#include <exception>

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
