// The port setup dialog on its own, and the window's way to it: the last item of the Com menu,
// the assignment stored in the settings file, the port reopened, and the two-line box of a port
// that will not open.
#include "window_fixture.h"

#include "files/settings_file.h"
#include "sim/pty_unit.h"
#include "ui/port_setup_dialog.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <fstream>
#include <iterator>
#include <set>

using namespace velmora;
using velmora::test::WindowTest;

namespace {

std::string readText(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::filesystem::path &path, const std::string &text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A caption as the user reads it: without its accelerator mark and trailing dots.
QString readable(QString caption)
{
    caption.remove(QLatin1Char('&'));
    while (caption.endsWith(QLatin1Char('.')))
        caption.chop(1);
    return caption;
}

class PortSetupDialogTest : public ::testing::Test {
protected:
    PortSetupDialogTest()
    {
        std::filesystem::create_directories(byId());
        std::filesystem::create_symlink("/dev/ttyUSB0", stable());
        setup.ports = {{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3Q", 0x0403, 0x6001},
                       {"/dev/ttyS0", "", "", "", {}, {}}};
        setup.assigned[1] = "/dev/ttyUSB7";
        setup.deviceOf = [](int n, const ui::PortAssignments &assigned) {
            const std::string &named = assigned[static_cast<std::size_t>(n - 1)];
            return named.empty() ? "/dev/ttyS" + std::to_string(n - 1) : named;
        };
        setup.stablePath = [this](const std::string &device) {
            return link::stableDevicePath(device, byId());
        };
    }
    std::filesystem::path byId() const
    {
        return std::filesystem::path(folder.path().toStdString()) / "by-id";
    }
    std::string stable() const { return (byId() / "usb-FTDI_FT232R_A10K3Q-if00-port0").string(); }

    static QString cell(QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item ? item->text() : QStringLiteral("<none>");
    }
    template <typename T> static T *child(QWidget *dialog, const char *name)
    {
        T *w = dialog->findChild<T *>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QTemporaryDir folder;
    ui::PortSetup setup;
};

} // namespace

TEST_F(PortSetupDialogTest, ShowsEveryPortAndWhatEachComNumberStandsFor)
{
    ui::PortSetupDialog dialog(setup);
    auto *ports = child<QTableWidget>(&dialog, "TablePorts");
    ASSERT_EQ(ports->rowCount(), 2);
    ASSERT_EQ(ports->columnCount(), 5);
    EXPECT_EQ(cell(ports, 0, 0), "/dev/ttyUSB0");
    EXPECT_EQ(cell(ports, 0, 1), "FT232R USB UART");
    EXPECT_EQ(cell(ports, 0, 2), "FTDI");
    EXPECT_EQ(cell(ports, 0, 3), "A10K3Q");
    EXPECT_EQ(cell(ports, 0, 4), "0403:6001");
    for (int column = 1; column < 5; ++column)
        EXPECT_EQ(cell(ports, 1, column), "-") << column; // a built-in port says little

    auto *coms = child<QTableWidget>(&dialog, "TableComs");
    ASSERT_EQ(coms->rowCount(), 10);
    EXPECT_EQ(cell(coms, 0, 0), "COM1");
    EXPECT_EQ(cell(coms, 0, 1), "/dev/ttyS0");
    EXPECT_EQ(cell(coms, 0, 2), "present"); // listed
    EXPECT_EQ(cell(coms, 1, 1), "/dev/ttyUSB7");
    EXPECT_EQ(cell(coms, 1, 2), "absent");
    EXPECT_EQ(cell(coms, 9, 0), "COM10");
    EXPECT_EQ(dialog.assignments(), setup.assigned);
}

TEST_F(PortSetupDialogTest, AssignsAPortUnderItsStableNameAndClearsIt)
{
    ui::PortSetupDialog dialog(setup);
    auto *ports = child<QTableWidget>(&dialog, "TablePorts");
    auto *coms = child<QTableWidget>(&dialog, "TableComs");
    auto *assign = child<QPushButton>(&dialog, "ButtonAssign");
    auto *clear = child<QPushButton>(&dialog, "ButtonClear");
    EXPECT_FALSE(assign->isEnabled());
    EXPECT_FALSE(clear->isEnabled());

    coms->selectRow(2);
    EXPECT_FALSE(assign->isEnabled()) << "no port chosen yet";
    EXPECT_FALSE(clear->isEnabled()) << "COM3 has nothing assigned";
    ports->selectRow(0);
    ASSERT_TRUE(assign->isEnabled());
    QTest::mouseClick(assign, Qt::LeftButton);
    EXPECT_EQ(dialog.assignments()[2], stable());
    EXPECT_EQ(dialog.assignments()[1], "/dev/ttyUSB7"); // the others stay
    EXPECT_EQ(cell(coms, 2, 1), QString::fromStdString(stable()));
    EXPECT_EQ(cell(coms, 2, 2), "present"); // through its link to a listed port

    // A port without a by-id name is stored as it is.
    coms->selectRow(3);
    ports->selectRow(1);
    QTest::mouseClick(assign, Qt::LeftButton);
    EXPECT_EQ(dialog.assignments()[3], "/dev/ttyS0");

    coms->selectRow(2);
    ASSERT_TRUE(clear->isEnabled());
    QTest::mouseClick(clear, Qt::LeftButton);
    EXPECT_EQ(dialog.assignments()[2], "");
    EXPECT_EQ(cell(coms, 2, 1), "/dev/ttyS2"); // back to the system's name
    EXPECT_FALSE(clear->isEnabled());
}

TEST_F(PortSetupDialogTest, DoubleClickOnAPortAssignsItToTheChosenComOnly)
{
    ui::PortSetupDialog dialog(setup);
    dialog.show();
    auto *ports = child<QTableWidget>(&dialog, "TablePorts");
    auto *coms = child<QTableWidget>(&dialog, "TableComs");
    const auto doubleClick = [ports](int row) {
        const QPoint centre = ports->visualItemRect(ports->item(row, 0)).center();
        QTest::mouseDClick(ports->viewport(), Qt::LeftButton, {}, centre);
    };

    doubleClick(0); // no COM number chosen: nothing to assign to
    EXPECT_EQ(dialog.assignments(), setup.assigned);

    coms->selectRow(4);
    doubleClick(0);
    auto expected = setup.assigned;
    expected[4] = stable();
    EXPECT_EQ(dialog.assignments(), expected);
    EXPECT_EQ(cell(coms, 4, 1), QString::fromStdString(stable()));
}

TEST_F(PortSetupDialogTest, OkAcceptsAndCancelRejects)
{
    for (const char *name : {"ButtonOk", "ButtonCancel"}) {
        ui::PortSetupDialog dialog(setup);
        dialog.show();
        QTest::mouseClick(child<QPushButton>(&dialog, name), Qt::LeftButton);
        EXPECT_EQ(dialog.result(),
                  std::string(name) == "ButtonOk" ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(PortSetupDialogTest, EveryTextComesInTheDialogsLanguage)
{
    // Everything the user reads, collected from the dialog.
    const auto texts = [this](std::uint8_t language) {
        setup.language = language;
        ui::PortSetupDialog dialog(setup);
        QStringList all{dialog.windowTitle()};
        for (const char *name : {"TablePorts", "TableComs"}) {
            auto *table = child<QTableWidget>(&dialog, name);
            for (int c = 0; c < table->columnCount(); ++c)
                all << table->horizontalHeaderItem(c)->text();
        }
        all << cell(child<QTableWidget>(&dialog, "TableComs"), 1, 2); // "absent"
        for (const char *name : {"LabelPorts", "LabelComs"})
            all << child<QLabel>(&dialog, name)->text();
        for (const char *name : {"ButtonAssign", "ButtonClear"}) {
            auto *button = child<QPushButton>(&dialog, name);
            all << button->text() << button->toolTip() << button->statusTip();
        }
        all << child<QPushButton>(&dialog, "ButtonCancel")->text();
        return all;
    };
    const QStringList czech = texts(0);
    const QStringList english = texts(1);
    const QStringList german = texts(2);
    EXPECT_EQ(english.first(), "Port setup");
    ASSERT_EQ(czech.size(), english.size());
    ASSERT_EQ(german.size(), english.size());
    // Names and abbreviations may read the same in two languages, sentences never.
    const std::set<QString> shared{"COM", "USB id", "Port"};
    for (qsizetype i = 0; i < english.size(); ++i) {
        EXPECT_FALSE(english[i].isEmpty()) << i;
        if (shared.contains(english[i]) || shared.contains(czech[i]))
            continue;
        EXPECT_NE(czech[i], english[i]) << i;
        EXPECT_NE(german[i], english[i]) << i;
        EXPECT_NE(czech[i], german[i]) << i;
    }
}

namespace {

class WindowPortSetupTest : public WindowTest {
protected:
    // A USB adapter as the fake system lists it, on a pseudo-terminal that really opens, with
    // its by-id link in the test's folder.
    void plugAdapter()
    {
        unit = std::make_unique<sim::PtyUnit>(sim::BlockStore{}, sim::FaultPlan{});
        portList = {{unit->slavePath(), "Test adapter", "Velmora", "T1", 0x0403, 0x6001}};
        std::filesystem::create_directories(byIdFolder());
        stable = (byIdFolder() / "usb-Velmora_Test_adapter_T1-if00-port0").string();
        std::filesystem::create_symlink(unit->slavePath(), stable);
    }
    // Plays the user: assigns the first listed port to COM<n>, as the dialog stores it.
    void assignFirstPortTo(int n)
    {
        dialogs.answerPortSetup = [n](const ui::PortSetup &setup) {
            ui::PortAssignments chosen = setup.assigned;
            chosen[static_cast<std::size_t>(n - 1)] = setup.stablePath(setup.ports.at(0).device);
            return std::optional(chosen);
        };
    }
    void portSetup() { find<QAction>(QStringLiteral("MenuPortSetup"))->trigger(); }

    std::unique_ptr<sim::PtyUnit> unit;
    std::string stable;
};

} // namespace

TEST_F(WindowPortSetupTest, PortSetupIsTheLastComItemAfterASeparator)
{
    open({QStringLiteral("ENGLISH")});
    const QList<QAction *> items = find<QMenu>(QStringLiteral("MenuCom"))->actions();
    ASSERT_EQ(items.size(), 12);
    for (int n = 1; n <= 10; ++n) {
        EXPECT_EQ(items[n - 1]->objectName(), QStringLiteral("MenuCom%1").arg(n));
        EXPECT_EQ(readable(items[n - 1]->text()), QStringLiteral("Com %1").arg(n));
    }
    EXPECT_TRUE(items[10]->isSeparator());
    QAction *setup = items[11];
    EXPECT_EQ(setup->objectName(), "MenuPortSetup");
    EXPECT_EQ(setup->text(), "Port &setup...");
    EXPECT_FALSE(setup->isCheckable());

    // Caption and hint follow the language.
    QStringList captions;
    QStringList hints;
    for (const char *item : {"MenuCzech", "MenuGerman", "MenuEnglish"}) {
        find<QAction>(QString::fromUtf8(item))->trigger();
        captions << setup->text();
        hints << setup->statusTip();
    }
    EXPECT_EQ(QSet<QString>(captions.begin(), captions.end()).size(), 3);
    EXPECT_EQ(QSet<QString>(hints.begin(), hints.end()).size(), 3);
    EXPECT_EQ(captions.last(), "Port &setup...");
    // The COM items keep their captions in every language.
    EXPECT_EQ(find<QAction>(QStringLiteral("MenuCom10"))->text(), "Com 1&0");
}

TEST_F(WindowPortSetupTest, ConfirmingStoresTheStableNameAndReopensThePort)
{
    plugAdapter();
    const std::string before = "; the user's own note\n[FORM_HLAV]\nComPort=1\nLanguage=1\n"
                               "[Elsewhere]\nkey = kept as it is\n";
    writeText(settingsPath(), before);
    openShown();
    ASSERT_EQ(dialogs.messages.size(), 1); // COM1 leads nowhere yet
    EXPECT_FALSE(window->portOpen());

    assignFirstPortTo(1);
    portSetup();
    ASSERT_EQ(dialogs.portSetups.size(), 1u);
    const ui::PortSetup &shown = dialogs.portSetups.front();
    EXPECT_EQ(shown.language, 1);
    ASSERT_EQ(shown.ports.size(), 1u);
    EXPECT_EQ(shown.ports[0].device, unit->slavePath());
    EXPECT_EQ(shown.deviceOf(1, shown.assigned), kNoPort);
    ui::PortAssignments tried{};
    tried[0] = stable;
    EXPECT_EQ(shown.deviceOf(1, tried), stable);

    // Written at once, after the rest of the file as it was; the port opened through the link.
    EXPECT_EQ(readText(settingsPath()), before + "\n[PORTS]\nCOM1=" + stable + "\n");
    EXPECT_TRUE(window->portOpen());
    EXPECT_EQ(dialogs.messages.size(), 1);

    // The close sequence's write keeps it, and the next start opens the adapter at once.
    window->close();
    const files::SettingsFile saved = files::SettingsFile::load(settingsPath());
    EXPECT_EQ(saved.value("PORTS", "COM1"), stable);
    EXPECT_EQ(saved.value("Elsewhere", "key"), "kept as it is");
    dialogs.messages.clear();
    open();
    EXPECT_TRUE(window->portOpen());
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(u'|').toStdString();
}

TEST_F(WindowPortSetupTest, CancellingWritesNothingAndOtherComsLeaveThePortAlone)
{
    plugAdapter();
    const std::string before = "[PORTS]\nCOM4=/nonexistent/four\n";
    writeText(settingsPath(), before);
    open();
    const qsizetype boxes = dialogs.messages.size();

    // Changed behind the window's back: a write of the settings would undo the change.
    const std::string edited = before + "; edited meanwhile\n";
    writeText(settingsPath(), edited);
    portSetup(); // no answer: cancelled
    ASSERT_EQ(dialogs.portSetups.size(), 1u);
    EXPECT_EQ(dialogs.portSetups[0].assigned[3], "/nonexistent/four");
    EXPECT_EQ(readText(settingsPath()), edited);
    EXPECT_EQ(dialogs.messages.size(), boxes);

    // COM5 changes, COM1 is in use: COM1 is not reopened, which would show its box again.
    assignFirstPortTo(5);
    portSetup();
    EXPECT_EQ(readText(settingsPath()), "[PORTS]\nCOM4=/nonexistent/four\nCOM5=" + stable + "\n");
    EXPECT_EQ(dialogs.messages.size(), boxes);
    EXPECT_FALSE(window->portOpen());

    // Clearing COM4 takes its line out.
    dialogs.answerPortSetup = [](const ui::PortSetup &setup) {
        ui::PortAssignments chosen = setup.assigned;
        chosen[3].clear();
        return std::optional(chosen);
    };
    portSetup();
    EXPECT_EQ(readText(settingsPath()), "[PORTS]\nCOM5=" + stable + "\n");
}

TEST_F(WindowPortSetupTest, MissingPortBoxSaysWhyAndWhereToAssignOne)
{
    const char *languages[] = {"CESKY", "ENGLISH", "DEUTSCH"};
    for (const char *language : languages) {
        dialogs.messages.clear();
        open({QString::fromUtf8(language)});
        ASSERT_EQ(dialogs.messages.size(), 1) << language;
        const QStringList lines = dialogs.messages.first().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 2) << language;
        EXPECT_EQ(lines[0], "Com opening error");
        EXPECT_TRUE(lines[1].contains(QString::fromUtf8(kNoPort))) << lines[1].toStdString();
        // It points to the menu and the item by the names they have in that language.
        const QString menu = readable(find<QMenu>(QStringLiteral("MenuCom"))->title());
        const QString item = readable(find<QAction>(QStringLiteral("MenuPortSetup"))->text());
        EXPECT_TRUE(lines[1].contains(menu))
            << lines[1].toStdString() << " / " << menu.toStdString();
        EXPECT_TRUE(lines[1].contains(item))
            << lines[1].toStdString() << " / " << item.toStdString();
    }

    // With an adapter plugged it is named.
    plugAdapter();
    dialogs.messages.clear();
    open({QStringLiteral("ENGLISH")});
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages.first().contains(QString::fromStdString(
        "USB serial adapters present: " + unit->slavePath() + " (Test adapter).")))
        << dialogs.messages.first().toStdString();
}
