#pragma once

#include "fake_dialogs.h"
#include "link/port_names.h"
#include "ui/controls.h"
#include "ui/tformhlav.h"
#include "ui/up_down.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace velmora::test {

// A fresh main window per test, shown and active so focus moves as it does for a user.
class WindowTest : public ::testing::Test {
protected:
    // Every test starts without settings of its own; a window closed and opened again within a
    // test finds what the first one saved.
    void open(const QStringList &arguments = {})
    {
        window.reset();
        window = std::make_unique<ui::TFormHlav>(dialogs, options(arguments));
    }
    // The settings in the test's own folder; every port leads nowhere unless `ports` or the
    // settings' port table names a device for it (looked up each time a port opens). The machine
    // has the ports of `portList`, and its by-id names lie in the test's folder.
    ui::WindowOptions options(const QStringList &arguments = {})
    {
        ui::WindowOptions o;
        o.arguments = arguments;
        o.settingsPath = settingsPath();
        o.portDevice = [this](int n, const files::SettingsFile &settings) {
            const auto named = ports.find(n);
            if (named != ports.end())
                return named->second;
            return files::portTable(settings)(link::comPortName(n)).value_or(kNoPort);
        };
        o.listPorts = [this] { return portList; };
        o.serialByIdFolder = byIdFolder();
        // Help finds no manual unless a test lays one out.
        o.manualFolders = manualFolders;
        o.wordManualFolders = wordManualFolders;
        // The unit history lies in the test's folder, never in the user's.
        o.historyFolder = historyFolder();
        o.logFolder = std::filesystem::path(config.path().toStdString()) / "logs";
        return o;
    }
    std::filesystem::path historyFolder() const
    {
        return std::filesystem::path(config.path().toStdString()) / "history";
    }
    std::filesystem::path byIdFolder() const
    {
        return std::filesystem::path(config.path().toStdString()) / "serial" / "by-id";
    }
    std::filesystem::path settingsPath() const
    {
        return std::filesystem::path(config.path().toStdString()) / "velmora" / "Velmora05.ini";
    }
    void openShown(const QStringList &arguments = {})
    {
        open(arguments);
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
    }

    template <typename T = QWidget> T *find(const QString &name) const
    {
        T *w = window->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    ui::CellEdit *edit(const char *name) const
    {
        return find<ui::CellEdit>(QString::fromUtf8(name));
    }
    ui::UpDown *upDown(const char *name) const { return find<ui::UpDown>(QString::fromUtf8(name)); }

    // Types into a cell as a user does: focus, select all, keys.
    void type(const char *cell, const QString &text)
    {
        ui::CellEdit *e = edit(cell);
        e->setFocus(Qt::MouseFocusReason);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // A click with the mouse on a check box (press and release over it).
    void clickBox(const char *name)
    {
        auto *box = find<QCheckBox>(QString::fromUtf8(name));
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    std::uint8_t at(std::size_t offset) const { return window->image()[offset]; }

    static constexpr const char *kNoPort = "/nonexistent/velmora-test-port";

    QTemporaryDir config;
    std::map<int, std::string> ports; // COM number to device
    link::PortList portList;          // the serial ports the window finds
    QStringList manualFolders;
    QStringList wordManualFolders;
    FakeDialogs dialogs;
    std::unique_ptr<ui::TFormHlav> window;
};

} // namespace velmora::test
