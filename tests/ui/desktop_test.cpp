// The window as a desktop shows it: on an X server of the test's own. Each test makes its own
// application for the platform it needs.
#include "virtual_x_server.h"

#include "app/program.h"
#include "ui/tformhlav.h"

#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdint>
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
std::vector<std::uint8_t> windowProperty(xcb_connection_t *x, xcb_window_t window,
                                         const char *name)
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
        xcb_disconnect(x);
        QTimer::singleShot(0, &window, &QWidget::close);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(titles, (std::vector<std::string>{english, czech, german, english}));
#endif
}
