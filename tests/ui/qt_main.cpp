// GoogleTest entry for tests that need a QApplication: off screen, English number formats.
#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
QtMessageHandler defaultHandler = nullptr;

// The off-screen platform warns about every window it cannot size; that says nothing here.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    defaultHandler(type, context, message);
}
} // namespace

int main(int argc, char *argv[])
{
    defaultHandler = qInstallMessageHandler(quietHandler);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never the user's own settings or serial ports: a private settings folder, and ports that
    // do not exist unless a test puts a simulated unit behind one.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    for (int n = 1; n <= 10; ++n)
        qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1().constData(),
                "/nonexistent/velmora-test-port");
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
