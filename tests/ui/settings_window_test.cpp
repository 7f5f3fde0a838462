#include "window_fixture.h"

#include "files/image_file.h"
#include "files/settings_file.h"
#include "files/window_settings.h"
#include "model/parameter_set.h"

#include <QAction>
#include <QTabWidget>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

using namespace velmora;
using namespace velmora::layout;
using velmora::test::WindowTest;

namespace {

class SettingsWindowTest : public WindowTest {
protected:
    void writeSettings(const std::string &text)
    {
        std::filesystem::create_directories(settingsPath().parent_path());
        std::ofstream(settingsPath(), std::ios::binary) << text;
    }
};

} // namespace

TEST_F(SettingsWindowTest, FirstRunStartsFromTheDefaults)
{
    open();
    EXPECT_EQ(window->language(), 0);
    EXPECT_EQ(window->held().comPort, 1);
    EXPECT_EQ(find<QTabWidget>(QStringLiteral("PageControl1"))->currentIndex(), 0);
    for (const char *box : {"CheckBoxIgnAll", "CheckBoxJetTpsAll", "CheckBoxJetTpsAlli",
                            "CheckBoxJetIapAll", "CheckBoxPrivAll", "CheckBoxExtMonitor"})
        EXPECT_FALSE(find<QCheckBox>(QString::fromUtf8(box))->isChecked()) << box;
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelFile2"))->text(), "----------");
}

TEST_F(SettingsWindowTest, OutOfRangeValuesAreBroughtBack)
{
    writeSettings("[FORM_HLAV]\r\nLanguage=7\r\nComPort=12\r\n"
                  "PageControl1->ActivePageIndex=3\r\nCheckBoxJetIapAll->Checked=1\r\n");
    open();
    EXPECT_EQ(window->language(), 1);
    EXPECT_EQ(window->held().comPort, 1);
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuCom1"))->isChecked());
    EXPECT_EQ(find<QTabWidget>(QStringLiteral("PageControl1"))->currentIndex(), 3);
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("CheckBoxJetIapAll"))->isChecked());
}

TEST_F(SettingsWindowTest, SavedPositionIsKeptOnlyWhereTheTitleBarCanBeReached)
{
    // Each window saves its own position at close, so the file is written after that.
    auto startAt = [&](const char *left, const char *top) {
        if (window)
            window->close();
        window.reset();
        writeSettings(std::string("[FORM_HLAV]\r\nLeft=") + left + "\r\nTop=" + top + "\r\n");
        open();
        return window->pos();
    };
    EXPECT_EQ(startAt("40", "30"), QPoint(40, 30));
    // Saved on a second screen that is no longer there: centred on this one.
    const QPoint centred = startAt("4000", "30");
    EXPECT_TRUE(window->screen()->availableGeometry().contains(centred))
        << centred.x() << "," << centred.y();
    // Above the top of the screen, where the title bar cannot be grabbed.
    EXPECT_EQ(startAt("40", "-200"), centred);
}

TEST_F(SettingsWindowTest, ShortImageFileSetsOnlyTheBytesItHolds)
{
    std::filesystem::create_directories(settingsPath().parent_path());
    std::string numbers;
    for (int i = 0; i < 300; ++i)
        numbers += (i == 224 ? "44" : i == 0 ? "65" : "0") + std::string(" ");
    std::ofstream(files::parameterImagePath(settingsPath())) << numbers;
    open();
    DeviceImage defaults;
    applyDefaults(defaults);
    consistencyPass(defaults);
    EXPECT_EQ(at(id::kName), 65);
    EXPECT_EQ(at(kAdvance + 4), 44);
    EXPECT_EQ(edit("Edit15")->text(), "44");
    for (std::size_t i = 300; i < kImageSize; ++i)
        ASSERT_EQ(at(i), defaults[i]) << i;
}

TEST_F(SettingsWindowTest, SettingsAndPortsComeFromTheOptionsNotTheEnvironment)
{
    QTemporaryDir elsewhere;
    const QByteArray before = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", elsewhere.path().toLocal8Bit());
    writeSettings("[FORM_HLAV]\nComPort=3\n[PORTS]\nCOM3=/dev/ttyUSB7\n");
    std::vector<std::pair<int, std::string>> asked;
    ui::WindowOptions o = options();
    o.portDevice = [&asked](int n, const files::SettingsFile &settings) {
        asked.emplace_back(n, settings.value("PORTS", "COM3").value_or(""));
        return std::string(kNoPort);
    };
    window = std::make_unique<ui::TFormHlav>(dialogs, std::move(o));
    find<QAction>(QStringLiteral("MenuCom5"))->trigger();
    window->close();
    window.reset();
    qputenv("XDG_CONFIG_HOME", before);

    const std::vector<std::pair<int, std::string>> expected{{3, "/dev/ttyUSB7"},
                                                            {5, "/dev/ttyUSB7"}};
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(files::SettingsFile::load(settingsPath()).value("FORM_HLAV", "ComPort"), "5");
    EXPECT_FALSE(std::filesystem::exists(elsewhere.path().toStdString() + "/velmora"));
}

TEST_F(SettingsWindowTest, TestSwitchShowsTheTestLabels)
{
    std::filesystem::create_directories(settingsPath().parent_path());
    std::ofstream(files::testSwitchPath(settingsPath())) << "diagnose\nTEST_ENABLE now";
    open();
    EXPECT_TRUE(window->testFlag());
    EXPECT_FALSE(find<QLabel>(QStringLiteral("LabelTest1"))->isHidden());
    EXPECT_FALSE(find<QLabel>(QStringLiteral("LabelTest8"))->isHidden());

    std::ofstream(files::testSwitchPath(settingsPath())) << "test_enable";
    open();
    EXPECT_FALSE(window->testFlag());
    EXPECT_TRUE(find<QLabel>(QStringLiteral("LabelTest1"))->isHidden());
}

TEST_F(SettingsWindowTest, CloseAndStartAgainRestoresEverything)
{
    writeSettings("[PORTS]\nCOM4=/nonexistent/port-four\n");
    open({QStringLiteral("DEUTSCH")});
    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(5);
    find<QCheckBox>(QStringLiteral("CheckBoxPrivAll"))->setChecked(true);
    find<QCheckBox>(QStringLiteral("CheckBoxExtMonitor"))->setChecked(true);
    find<QAction>(QStringLiteral("MenuCom4"))->trigger();
    find<QLabel>(QStringLiteral("LabelFile2"))->setText(QStringLiteral("/maps/race.ign"));
    edit("Edit13")->setText(QStringLiteral("27")); // typed, taken over at close
    window->close();

    const std::string text = files::SettingsFile::load(settingsPath()).text();
    EXPECT_NE(text.find("PageControl1->ActivePageIndex=5"), std::string::npos);
    EXPECT_NE(text.find("CheckBoxExtMonitor->Checked=1"), std::string::npos);
    EXPECT_NE(text.find("COM4=/nonexistent/port-four"), std::string::npos); // kept as found

    open();
    EXPECT_EQ(window->language(), 2);
    EXPECT_EQ(window->held().comPort, 4);
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuCom4"))->isChecked());
    EXPECT_EQ(find<QTabWidget>(QStringLiteral("PageControl1"))->currentIndex(), 5);
    EXPECT_TRUE(find<QCheckBox>(QStringLiteral("CheckBoxPrivAll"))->isChecked());
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelFile2"))->text(), "/maps/race.ign");
    EXPECT_EQ(at(kAdvance + 2), 27);
    EXPECT_EQ(edit("Edit13")->text(), "27");
}

TEST_F(SettingsWindowTest, CloseWritesThroughLinksAndPassesOverReadOnlyFilesSilently)
{
    namespace fs = std::filesystem;
    // The settings kept in another folder and linked in; the image file locked by its user.
    writeSettings("");
    fs::remove(settingsPath());
    const fs::path kept = fs::path(config.path().toStdString()) / "kept" / "settings.ini";
    fs::create_directories(kept.parent_path());
    std::ofstream(kept, std::ios::binary) << "[PORTS]\nCOM2=/nonexistent/two\n";
    fs::create_symlink(kept, settingsPath());
    const fs::path image = files::parameterImagePath(settingsPath());
    std::ofstream(image, std::ios::binary) << "locked";
    fs::permissions(image, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    open({QStringLiteral("DEUTSCH")});
    dialogs.messages.clear();
    window->close();
    EXPECT_TRUE(fs::is_symlink(settingsPath()));
    const files::SettingsFile saved = files::SettingsFile::load(kept);
    EXPECT_EQ(saved.number("FORM_HLAV", "Language"), 2);
    EXPECT_EQ(saved.value("PORTS", "COM2"), "/nonexistent/two");
    std::ifstream in(image, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "locked");
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(SettingsWindowTest, SavedSizeAndPlaceAreTheWindowsAtStart)
{
    writeSettings("[FORM_HLAV]\r\nLeft=37\r\nTop=45\r\nHeight=700\r\nWidth=1010\r\n");
    openShown();
    EXPECT_EQ(window->pos(), QPoint(37, 45));
    EXPECT_EQ(window->size(), QSize(1010, 700));
}

TEST_F(SettingsWindowTest, MaximizedWindowComesBackMaximizedOverItsNormalGeometry)
{
    const std::string geometry = "Left=40\nTop=30\nHeight=700\nWidth=1010\n";
    const std::string boxes = "CheckBoxJetIapAll->Checked=0\nCheckBoxPrivAll->Checked=0\n";
    writeSettings("[FORM_HLAV]\n" + geometry + "Maximized=1\n");
    openShown();
    EXPECT_TRUE(window->isMaximized());
    EXPECT_NE(window->size(), QSize(1010, 700));
    EXPECT_EQ(window->normalGeometry().size(), QSize(1010, 700));
    window->close();
    std::string text = files::SettingsFile::load(settingsPath()).text();
    EXPECT_NE(text.find(geometry), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(boxes + "Maximized=1\n")) << text;

    // Made normal again, it takes its old place and size and closes with the fifteen keys.
    openShown();
    ASSERT_TRUE(window->isMaximized());
    window->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->size() == QSize(1010, 700); }, 5000));
    EXPECT_EQ(window->pos(), QPoint(40, 30));
    window->close();
    text = files::SettingsFile::load(settingsPath()).text();
    EXPECT_NE(text.find(geometry), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with(boxes)) << text;

    // Maximised by the user rather than by the file.
    openShown();
    window->showMaximized();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->size() != QSize(1010, 700); }, 5000));
    window->close();
    text = files::SettingsFile::load(settingsPath()).text();
    EXPECT_NE(text.find(geometry), std::string::npos) << text;
    EXPECT_TRUE(text.ends_with("Maximized=1\n")) << text;
}
