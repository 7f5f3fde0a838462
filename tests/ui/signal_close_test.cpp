#include "window_fixture.h"

#include "app/signal_closer.h"
#include "files/image_file.h"
#include "files/settings_file.h"
#include "files/window_settings.h"
#include "model/parameter_set.h"
#include "sim/pty_unit.h"

#include <QProcess>
#include <QTimer>

#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

using namespace velmora;
using namespace velmora::layout;
using namespace std::chrono_literals;
using velmora::test::WindowTest;

namespace {

constexpr int kDeadlineMs = 20000;

class SignalCloseTest : public WindowTest {
protected:
    // The close sequence has run: the window is gone and the settings file is there.
    bool closedAndSaved()
    {
        return QTest::qWaitFor(
            [&] { return !window->isVisible() && std::filesystem::exists(settingsPath()); },
            kDeadlineMs);
    }
};

} // namespace

TEST_F(SignalCloseTest, SignalRunsTheCloseSequenceOnceHoweverManyCome)
{
    openShown();
    app::SignalCloser closer;
    ASSERT_TRUE(closer.installed());
    closer.setWindow(window.get());
    find<QCheckBox>(QStringLiteral("CheckBoxIgnAll"))->setChecked(true);

    std::raise(SIGTERM);
    ASSERT_TRUE(closedAndSaved());
    EXPECT_EQ(
        files::SettingsFile::load(settingsPath()).value("FORM_HLAV", "CheckBoxIgnAll->Checked"),
        "1");

    // Whatever comes later finds the window closed and writes nothing again.
    std::filesystem::remove(settingsPath());
    std::raise(SIGINT);
    std::raise(SIGHUP);
    EXPECT_TRUE(QTest::qWaitFor([&] { return closer.received() == 3; }, kDeadlineMs));
    QCoreApplication::processEvents();
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
}

TEST_F(SignalCloseTest, SignalWhileABoxIsOpenCancelsTheBoxAndCloses)
{
    openShown();
    app::SignalCloser closer;
    ASSERT_TRUE(closer.installed());
    closer.setWindow(window.get());

    // The program's own question box, as File > New opens it.
    ui::MessageBoxDialogs boxes;
    bool timedOut = false;
    QTimer::singleShot(0, [] { std::raise(SIGTERM); });
    QTimer::singleShot(kDeadlineMs, window.get(), [&] {
        timedOut = true;
        if (QWidget *box = QApplication::activeModalWidget())
            box->close();
    });
    EXPECT_EQ(boxes.askYesNoCancel(window.get(), QStringLiteral("?")), ui::Dialogs::Answer::Cancel);
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(closedAndSaved());
}

TEST_F(SignalCloseTest, SignalBeforeTheWindowIsThereClosesItOnceItIs)
{
    app::SignalCloser closer;
    ASSERT_TRUE(closer.installed());
    std::raise(SIGHUP);
    ASSERT_TRUE(QTest::qWaitFor([&] { return closer.received() == 1; }, kDeadlineMs));

    openShown();
    EXPECT_FALSE(std::filesystem::exists(settingsPath()));
    closer.setWindow(window.get());
    EXPECT_TRUE(closedAndSaved());
}

TEST(SignalCloserAlone, OnlyOneCatchesAtATimeAndTheOldHandlersComeBack)
{
    struct sigaction before {};
    ::sigaction(SIGTERM, nullptr, &before);
    {
        app::SignalCloser first;
        app::SignalCloser second;
        EXPECT_TRUE(first.installed());
        EXPECT_FALSE(second.installed());
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    app::SignalCloser again;
    EXPECT_TRUE(again.installed());
}

// The program itself, killed as a session or a terminal would kill it.
TEST(ProgramSignals, EachSignalSavesWhatTheWindowHeldAndEndsNormally)
{
    DeviceImage defaults;
    applyDefaults(defaults);
    consistencyPass(defaults);

    for (const int number : app::SignalCloser::kSignals) {
        SCOPED_TRACE(strsignal(number));
        QTemporaryDir home;
        const std::filesystem::path root = home.path().toStdString();
        const std::filesystem::path settings = root / "config" / "velmora" / "Velmora05.ini";
        std::filesystem::create_directories(settings.parent_path());
        std::filesystem::create_directories(root / "runtime");
        std::filesystem::permissions(root / "runtime", std::filesystem::perms::owner_all);
        std::ofstream(settings, std::ios::binary)
            << "[FORM_HLAV]\nComPort=1\nLanguage=0\nPageControl1->ActivePageIndex=4\n"
               "CheckBoxIgnAll->Checked=1\nFile=/maps/race.ign\n";
        // Half an image: the program takes the rest from the defaults and writes all 600.
        std::string numbers;
        for (int i = 0; i < 300; ++i)
            numbers += (i == 0 ? "65" : i == int(kAdvance + 4) ? "44" : "0") + std::string(" ");
        std::ofstream(files::parameterImagePath(settings)) << numbers;

        // COM1 leads to a simulated unit, whose first monitor request shows the window's timer
        // running; the other ports do not exist.
        sim::PtyUnit unit;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           home.filePath(QStringLiteral("runtime")));
        for (int n = 1; n <= 10; ++n)
            environment.insert(QStringLiteral("VELMORA_COM%1").arg(n),
                               n == 1 ? QString::fromStdString(unit.slavePath())
                                      : QStringLiteral("/nonexistent/velmora-test-port"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(VELMORA_PROGRAM), {QStringLiteral("DEUTSCH")});
        ASSERT_TRUE(program.waitForStarted(kDeadlineMs));
        ASSERT_TRUE(unit.waitForRequests(1, std::chrono::milliseconds(kDeadlineMs)));

        ::kill(static_cast<pid_t>(program.processId()), number);
        ::kill(static_cast<pid_t>(program.processId()), number); // a second one while closing
        if (!program.waitForFinished(kDeadlineMs))
            program.kill();
        ASSERT_EQ(program.state(), QProcess::NotRunning);
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);

        const files::SettingsFile saved = files::SettingsFile::load(settings);
        files::WindowSettings held;
        files::readWindowSettings(saved, held);
        EXPECT_EQ(held.language, 2); // the command line's, not the file's
        EXPECT_EQ(held.comPort, 1);
        EXPECT_EQ(held.page, 4);
        EXPECT_TRUE(held.ignitionAll);
        EXPECT_EQ(held.file, "/maps/race.ign");
        EXPECT_TRUE(held.left.has_value());

        std::ifstream image(files::parameterImagePath(settings));
        std::vector<unsigned> values;
        for (unsigned v = 0; image >> v;)
            values.push_back(v);
        ASSERT_EQ(values.size(), kImageSize);
        EXPECT_EQ(values[0], 65u);
        EXPECT_EQ(values[kAdvance + 4], 44u);
        for (std::size_t i = 300; i < kImageSize; ++i)
            ASSERT_EQ(values[i], defaults[i]) << i;
    }
}
