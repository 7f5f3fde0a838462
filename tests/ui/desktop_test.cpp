// The window as a desktop shows it: on an X server of the test's own, and on screens of
// different pixel ratios. Each test makes its own application for the platform it needs.
#include "fake_dialogs.h"
#include "virtual_x_server.h"

#include "app/program.h"
#include "ui/tformhlav.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef VELMORA_HAVE_XCB
#include <xcb/xcb.h>
#endif

using namespace velmora;

namespace {

// A settings folder of the test's own, holding a settings file with the given text, and serial
// ports that do not exist.
void useOwnSettings(const QTemporaryDir &config, const std::string &settings)
{
    const std::string folder = config.path().toStdString() + "/velmora";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/Velmora05.ini", std::ios::binary) << settings;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    for (int n = 1; n <= 10; ++n)
        qputenv(QStringLiteral("VELMORA_COM%1").arg(n).toLatin1().constData(),
                "/nonexistent/velmora-test-port");
}

#ifdef VELMORA_HAVE_XCB
// A property of a window as the X server holds it.
std::vector<std::uint8_t> windowProperty(xcb_connection_t *x, xcb_window_t window, const char *name)
{
    const std::string atomName(name);
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 1, static_cast<std::uint16_t>(atomName.size()), atomName.data()),
        nullptr);
    if (!atom)
        return {};
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1u << 22),
        nullptr);
    free(atom);
    if (!reply)
        return {};
    const auto *bytes = static_cast<const std::uint8_t *>(xcb_get_property_value(reply));
    std::vector<std::uint8_t> value(bytes, bytes + xcb_get_property_value_length(reply));
    free(reply);
    return value;
}

// The sizes in _NET_WM_ICON: width, height and the pixels, one image after the other.
std::vector<std::pair<std::uint32_t, std::uint32_t>> iconSizes(const std::vector<std::uint8_t> &v)
{
    std::vector<std::uint32_t> words(v.size() / 4);
    std::memcpy(words.data(), v.data(), words.size() * 4);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> sizes;
    for (std::size_t i = 0; i + 2 <= words.size();) {
        sizes.emplace_back(words[i], words[i + 1]);
        i += 2 + std::size_t{words[i]} * words[i + 1];
    }
    return sizes;
}
#endif

} // namespace

TEST(DesktopWindow, TitleUnderXIsExactlyTheCaptionOfEachLanguage)
{
#ifndef VELMORA_HAVE_XCB
    GTEST_SKIP() << "built without the XCB headers";
#else
    test::VirtualXServer server;
    if (server.display().empty())
        GTEST_SKIP() << server.failure();
    qputenv("DISPLAY", QByteArray::fromStdString(server.display()));
    qputenv("QT_QPA_PLATFORM", "xcb");
    QTemporaryDir config;
    // No port: the real message boxes of the program would wait for a click.
    useOwnSettings(config, "[FORM_HLAV]\nComPort=0\n");

    const std::string english = "Programming of Velmora 05 unit";
    const std::string czech = "Programování jednotky Velmora 05";
    const std::string german = "Programmierung der Velmora 05 Zündbox";
    std::vector<std::string> titles;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> icons;
    char program[] = "velmora";
    char language[] = "ENGLISH";
    char *argv[] = {program, language, nullptr};
    int argc = 2;
    const int status = app::runProgram(argc, argv, [&](ui::TFormHlav &window) {
        xcb_connection_t *x = xcb_connect(server.display().c_str(), nullptr);
        const auto id = static_cast<xcb_window_t>(window.winId());
        const auto title = [&] {
            QGuiApplication::sync(); // the server has taken every request of the window
            const std::vector<std::uint8_t> name = windowProperty(x, id, "_NET_WM_NAME");
            return std::string(name.begin(), name.end());
        };
        titles.push_back(title());
        for (const char *item : {"MenuCzech", "MenuGerman", "MenuEnglish"}) {
            window.findChild<QAction *>(QString::fromLatin1(item))->trigger();
            titles.push_back(title());
        }
        icons = iconSizes(windowProperty(x, id, "_NET_WM_ICON"));
        xcb_disconnect(x);
        QTimer::singleShot(0, &window, &QWidget::close);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(titles, (std::vector<std::string>{english, czech, german, english}));
    // The window manager gets the icon drawn at each size, up to 256 pixels.
    for (std::uint32_t side : {16u, 32u, 64u, 256u})
        EXPECT_NE(std::find(icons.begin(), icons.end(), std::make_pair(side, side)), icons.end())
            << side;
#endif
}

TEST(DesktopWindow, DemoModeLeadsThePortToItsOwnUnitWhateverTheEnvironmentSays)
{
    QTemporaryDir config;
    // Every VELMORA_COMn names a missing device; only the demo unit can open the port. None is
    // opened at the start, where a failure's real message box would come before the test could
    // close it.
    useOwnSettings(config, "[FORM_HLAV]\nComPort=0\n");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    char program[] = "velmora";
    char demo[] = "--demo";
    char language[] = "ENGLISH";
    char *argv[] = {program, demo, language, nullptr};
    int argc = 3;
    bool opened = false;
    std::string read;
    std::string desktopFileName;
    const int status = app::runProgram(argc, argv, [&](ui::TFormHlav &window) {
        desktopFileName = QGuiApplication::desktopFileName().toStdString();
        // A failed opening shows a real message box; it must not hold the test.
        QTimer::singleShot(5000, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        window.findChild<QAction *>(QStringLiteral("MenuCom1"))->trigger();
        opened = window.portOpen();
        window.MenuReadClick();
        auto *message = window.findChild<QLabel *>(QStringLiteral("LabelHlaseni"));
        if (!QTest::qWaitFor([&] { return message->text() == QLatin1String("Verify OK"); }, 10000))
            ADD_FAILURE() << "no answer from the demo unit";
        read = message->text().toStdString();
        QTimer::singleShot(0, &window, &QWidget::close);
    });
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(opened);
    EXPECT_EQ(read, "Verify OK");
    // The name the program gives the desktop is that of its installed desktop entry.
    EXPECT_EQ(desktopFileName, "org.velmora.Velmora");
    // The settings of the environment's folder were read and written.
    EXPECT_TRUE(std::filesystem::exists(config.path().toStdString() + "/velmora/Velmora05.ini"));
}

TEST(DesktopWindow, LogoIsDrawnAtThePixelRatioOfTheWindowsScreen)
{
    QTemporaryDir config;
    useOwnSettings(config, "");
    const QString screens = config.filePath(QStringLiteral("screens.json"));
    std::ofstream(screens.toStdString())
        << R"({"screens": [{"name": "plain", "x": 0, "y": 0, "width": 1280, "height": 1024},
                           {"name": "sharp", "x": 1280, "y": 0, "width": 1280, "height": 1024,
                            "dpr": 2}]})";
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.toLocal8Bit());
    char program[] = "desktop_tests";
    char *argv[] = {program, nullptr};
    int argc = 1;
    QApplication app(argc, argv);
    ASSERT_EQ(QGuiApplication::screens().size(), 2);

    test::FakeDialogs dialogs;
    ui::WindowOptions options;
    options.settingsPath = config.path().toStdString() + "/velmora/Velmora05.ini";
    options.portDevice = [](int, const files::SettingsFile &) {
        return std::string("/nonexistent/velmora-test-port");
    };
    ui::TFormHlav window(dialogs, std::move(options));
    window.show();
    auto *logo = window.findChild<QLabel *>(QStringLiteral("ImageLogo"));
    ASSERT_NE(logo, nullptr);
    const auto drawnAt = [&](qreal ratio) {
        return QTest::qWaitFor(
            [&] {
                return window.devicePixelRatioF() == ratio &&
                       logo->pixmap().devicePixelRatio() == ratio;
            },
            5000);
    };
    const auto moveTo = [&](int screen) {
        QScreen *target = QGuiApplication::screens().at(screen);
        window.windowHandle()->setScreen(target);
        window.move(target->geometry().topLeft() + QPoint(40, 40));
    };
    EXPECT_TRUE(drawnAt(1));
    EXPECT_EQ(logo->pixmap().size(), QSize(234, 103));

    moveTo(1);
    EXPECT_TRUE(drawnAt(2)) << window.devicePixelRatioF();
    EXPECT_EQ(logo->pixmap().size(), QSize(468, 206)); // every screen pixel drawn
    EXPECT_EQ(logo->size(), QSize(234, 103));          // at the same size in the layout

    moveTo(0);
    EXPECT_TRUE(drawnAt(1));
    EXPECT_EQ(logo->pixmap().size(), QSize(234, 103));
    window.close();
}
