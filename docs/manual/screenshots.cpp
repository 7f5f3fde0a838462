// Saves a picture of the window with each page on show:
// `ui_screenshots OUTDIR [LANGUAGE] [MODEL]`; with a model, its defaults are set and the servo
// and tuning groups are opened.
// Run it under a real X server (xvfb-run) to look at the window as a user would.
#include "ui/dialogs.h"
#include "ui/tformhlav.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Pictures of a fresh start: the user's own settings are neither read nor written.
    QTemporaryDir config;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    QStringList args;
    if (argc > 2)
        args << QString::fromLocal8Bit(argv[2]);
    velmora::ui::WindowOptions options;
    options.arguments = args;
    options.settingsPath = config.path().toStdString() + "/velmora/Velmora05.ini";
    options.portDevice = [](int, const velmora::files::SettingsFile &) { return std::string(); };
    velmora::ui::SilentDialogs dialogs;
    velmora::ui::TFormHlav window(dialogs, std::move(options));
    if (argc > 3) {
        window.image()[velmora::layout::kBike] = static_cast<std::uint8_t>(std::atoi(argv[3]));
        velmora::applyDefaults(window.image());
        window.findChild<QCheckBox *>(QStringLiteral("CheckBoxLadeniPovoleno"))->setChecked(true);
        window.afterChangeStep();
    }
    window.show();
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    int page = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        window.grab().save(QStringLiteral("%1/page%2.png").arg(dir).arg(page));
        if (++page >= pages->count()) {
            app.quit();
            return;
        }
        pages->setCurrentIndex(page);
    });
    timer.start(300);
    return app.exec();
}
