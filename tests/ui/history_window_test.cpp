// The unit history in the window: what Read and Program leave behind, "Keep unit history", the
// backup before programming, the history dialog and loading an entry.
#include "window_link_fixture.h"

#include "files/image_file.h"
#include "files/unit_history.h"
#include "model/identity.h"
#include "ui/history_dialog.h"

#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <fstream>

using namespace velmora;
using namespace velmora::layout;
using files::HistoryKind;

namespace {

class HistoryWindowTest : public velmora::test::WindowLinkTest {
protected:
    files::UnitHistory history() const { return files::UnitHistory(historyFolder()); }
    // Requests that write a block into the unit or begin a Program.
    std::size_t writeRequests() const
    {
        std::size_t n = 0;
        for (std::size_t block = 0; block < kBlockCount; ++block)
            n += unit.counters().perCommand[block];
        return n;
    }
    static DeviceImage imageOf(const files::HistoryEntry &entry)
    {
        DeviceImage image;
        EXPECT_EQ(files::loadImageFile(entry.imageFile, image), kImageSize);
        return image;
    }
    static bool sameSet(const DeviceImage &a, const DeviceImage &b)
    {
        return std::ranges::equal(a.parameters(), b.parameters());
    }
    void blockHistoryFolder() const { std::ofstream(historyFolder()) << "a file in the way"; }
    void refuseReading()
    {
        sim::IdentityBlock identity;
        identity.readPermission = 0;
        unit.store().setIdentity(identity);
    }
    QStringList messageLines() const { return text("LabelHlaseni").split(QLatin1Char('\n')); }

    static constexpr const char *kIdentity = "VSU07 14. 3.2024 09:30";
};

} // namespace

TEST_F(HistoryWindowTest, ReadAndProgramByMenuAndButtonAreKept)
{
    unitHolds(0, 0);
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();

    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    ASSERT_EQ(text("LabelHlaseni"), "Verify OK");
    auto entries = history().entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, HistoryKind::Read);
    EXPECT_EQ(entries[0].identity, kIdentity);
    EXPECT_EQ(imageOf(entries[0]), window->image()); // the unit's identity block included

    find<QPushButton>(QStringLiteral("Button1"))->click();
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(history().entries().size(), 2u);

    // Verify leaves nothing behind.
    trigger("MenuVerify");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(history().entries().size(), 2u);

    window->image()[kAdvance + 2] = static_cast<std::uint8_t>(at(kAdvance + 2) + 3);
    window->showStep();
    find<QPushButton>(QStringLiteral("BitBtn1"))->click();
    ASSERT_TRUE(tickUntilIdle());
    entries = history().entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].kind, HistoryKind::Program);
    EXPECT_EQ(imageOf(entries[0]), unit.store().image());
    EXPECT_EQ(imageOf(entries[0])[kAdvance + 2], at(kAdvance + 2));

    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(history().entries().size(), 4u);
}

TEST_F(HistoryWindowTest, FailuresAndProgrammingAfterChangeAreNotKept)
{
    unitHolds(0, 0);
    refuseReading();
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(text("LabelHlaseni"), "No Reading!");

    // A unit that is not for the window's motorcycle refuses the Program.
    sim::IdentityBlock otherModel;
    otherModel.modelMap = {1 << 3};
    unit.store().setIdentity(otherModel);
    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(writeRequests() - unit.counters().perCommand[0], 0u);

    // Programming after change writes the set, and that is no entry either.
    unit.store().setIdentity(sim::IdentityBlock{});
    clickBox("CheckBoxProgHned");
    ASSERT_NE(window->link().transferMode(), link::TransferMode::Idle);
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_TRUE(sameSet(unit.store().image(), window->image()));
    window->image()[kAdvance + 1] = static_cast<std::uint8_t>(at(kAdvance + 1) + 1);
    window->afterChangeStep();
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(unit.store().image()[kAdvance + 1], at(kAdvance + 1));

    EXPECT_TRUE(history().entries().empty());
    EXPECT_FALSE(std::filesystem::exists(historyFolder()));
}

TEST_F(HistoryWindowTest, UserProgramCancelledByProgrammingAfterChangeIsNotKept)
{
    unitHolds(0, 0);
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    trigger("MenuProgram");
    ASSERT_NE(window->link().transferMode(), link::TransferMode::Idle);
    // Ticking the box programs at once, in place of the user's Program.
    clickBox("CheckBoxProgHned");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_TRUE(sameSet(unit.store().image(), window->image()));
    EXPECT_TRUE(history().entries().empty());
}

TEST_F(HistoryWindowTest, KeepUnitHistoryOffRecordsNothingAndIsKept)
{
    unitHolds(0, 0);
    openShown({QStringLiteral("ENGLISH")});
    auto *keep = find<QAction>(QStringLiteral("MenuKeepHistory"));
    ASSERT_TRUE(keep->isChecked()); // on by default
    ASSERT_FALSE(find<QAction>(QStringLiteral("MenuBackupFirst"))->isChecked());
    keep->trigger();
    ASSERT_FALSE(keep->isChecked());
    connectUnit();
    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(text("LabelHlaseni"), "Program device: OK");
    EXPECT_TRUE(history().entries().empty());

    trigger("MenuBackupFirst");
    window->close();
    const auto settings = files::SettingsFile::load(settingsPath());
    EXPECT_EQ(settings.value(files::kWindowSection, "KeepUnitHistory"), "0");
    EXPECT_EQ(settings.value(files::kWindowSection, "BackupBeforeProgramming"), "1");
    open();
    EXPECT_FALSE(find<QAction>(QStringLiteral("MenuKeepHistory"))->isChecked());
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuBackupFirst"))->isChecked());
}

TEST_F(HistoryWindowTest, UnwritableHistoryAddsOneLineAfterTheTransactionsText)
{
    unitHolds(0, 0);
    blockHistoryFolder();
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(messageLines(),
              QStringList({QStringLiteral("Verify OK"),
                           QStringLiteral("The unit history entry was not written: ") +
                               QString::fromStdString(historyFolder().string())}));
    // The Read stands.
    EXPECT_TRUE(sameSet(window->image(), unit.store().image()));

    // After a Program the link keeps the line up to date while the unit saves; the note stays
    // under it until the next transaction shows the line anew.
    trigger("MenuCzech");
    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    for (int t = 0; t < 3; ++t)
        window->Timer1Timer();
    ASSERT_EQ(messageLines().size(), 2);
    EXPECT_EQ(messageLines()[0], QString::fromUtf8("Programování: OK"));
    EXPECT_TRUE(messageLines()[1].startsWith(
        QString::fromUtf8("Záznam do historie jednotky nebyl zapsán: ")));
    std::filesystem::remove(historyFolder());
    trigger("MenuVerify");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(messageLines(), QStringList({QString::fromUtf8("Verifikace OK")}));
}

TEST_F(HistoryWindowTest, BackupKeepsTheUnitsSetAsItIsThenPrograms)
{
    unitHolds(0, 0);
    DeviceImage theirs = unit.store().image();
    theirs[kStartJet] = 200; // out of range: a Read's consistency pass would change it
    unit.store().setImage(theirs);
    openShown({QStringLiteral("ENGLISH")});
    trigger("MenuBackupFirst");
    connectUnit();

    find<QPushButton>(QStringLiteral("BitBtn1"))->click();
    ASSERT_TRUE(tickUntilIdle());
    const auto entries = history().entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, HistoryKind::Program);
    EXPECT_EQ(entries[1].kind, HistoryKind::Backup);
    EXPECT_EQ(imageOf(entries[1]), theirs);
    EXPECT_EQ(entries[1].identity, kIdentity);
    // The window's set went in as a Program does it; the window's image was not the backup's.
    EXPECT_TRUE(sameSet(unit.store().image(), window->image()));
    EXPECT_NE(at(kStartJet), 200);
    EXPECT_EQ(text("LabelHlaseni"), "Program device: OK");
}

TEST_F(HistoryWindowTest, FailedBackupSendsNoBlock)
{
    unitHolds(0, 0);
    refuseReading();
    openShown({QStringLiteral("ENGLISH")});
    trigger("MenuBackupFirst");
    connectUnit();
    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    for (int t = 0; t < 20; ++t)
        window->Timer1Timer();
    EXPECT_EQ(text("LabelHlaseni"), "No Reading!");
    EXPECT_EQ(writeRequests(), 0u);
    EXPECT_TRUE(history().entries().empty());

    // A backup that cannot be written stops as well, with the file's trouble.
    unit.store().setIdentity(sim::IdentityBlock{});
    blockHistoryFolder();
    trigger("MenuProgram");
    ASSERT_TRUE(tickUntilIdle());
    for (int t = 0; t < 20; ++t)
        window->Timer1Timer();
    EXPECT_EQ(text("LabelHlaseni"),
              QStringLiteral("The backup of the unit could not be written, nothing was sent: ") +
                  QString::fromStdString(historyFolder().string()));
    EXPECT_EQ(writeRequests(), 0u);

    // Programming after change makes no backup: it writes at once.
    std::filesystem::remove(historyFolder());
    const std::size_t readsBefore = unit.counters().perCommand[0x40];
    clickBox("CheckBoxProgHned");
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(unit.counters().perCommand[0x40], readsBefore);
    EXPECT_GT(writeRequests(), 0u);
    EXPECT_TRUE(history().entries().empty());
}

TEST_F(HistoryWindowTest, LoadingAnEntryIsAnAfterChangeStep)
{
    // Two sets of the unit kept earlier; the older one is loaded.
    unitHolds(2, 0);
    DeviceImage older = unit.store().image();
    older[kAdvance + 4] = static_cast<std::uint8_t>(older[kAdvance + 4] - 2);
    DeviceImage newer = unit.store().image();
    const auto now = std::chrono::system_clock::now();
    const auto olderEntry = history().record(HistoryKind::Read, older, now - std::chrono::hours(1));
    ASSERT_TRUE(olderEntry);
    ASSERT_TRUE(history().record(HistoryKind::Program, newer, now));

    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    trigger("MenuRead");
    ASSERT_TRUE(tickUntilIdle());
    const DeviceImage identityBlock = window->image();
    clickBox("CheckBoxProgHned"); // the unit follows every after-change step
    ASSERT_TRUE(tickUntilIdle());

    dialogs.answerHistory = [](const ui::HistoryRequest &request) {
        return std::optional<ui::HistoryChoice>(
            ui::HistoryChoice{request.entries.back(), ui::HistoryAction::Load});
    };
    trigger("MenuUnitHistory");
    ASSERT_EQ(dialogs.historyRequests.size(), 1u);
    const ui::HistoryRequest request = dialogs.historyRequests[0]; // the list grows below
    EXPECT_EQ(request.identity, kIdentity);
    EXPECT_EQ(request.language, 1);
    ASSERT_EQ(request.entries.size(), 3u); // with the Read just made, newest first
    EXPECT_EQ(request.entries[2].imageFile, olderEntry->imageFile);

    EXPECT_TRUE(sameSet(window->image(), older));
    EXPECT_TRUE(std::ranges::equal(window->image().block(0), identityBlock.block(0)));
    EXPECT_EQ(text("LabelFile2"), QString::fromStdString(olderEntry->parameterFile.string()));
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_TRUE(sameSet(unit.store().image(), older));

    // Loading is one step: Undo names it and puts the set read before back, and the unit follows.
    auto *undo = find<QAction>(QStringLiteral("MenuUndo"));
    EXPECT_EQ(undo->text(), "&Undo Load from history");
    undo->trigger();
    EXPECT_TRUE(sameSet(window->image(), newer));
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_TRUE(sameSet(unit.store().image(), newer));
    find<QAction>(QStringLiteral("MenuRedo"))->trigger();
    ASSERT_TRUE(sameSet(window->image(), older));
    ASSERT_TRUE(tickUntilIdle());

    // An entry whose image file has gone leaves the window as it is.
    std::filesystem::remove(request.entries[1].imageFile);
    dialogs.answerHistory = [&](const ui::HistoryRequest &) {
        return std::optional<ui::HistoryChoice>(
            ui::HistoryChoice{request.entries[1], ui::HistoryAction::Load});
    };
    const DeviceImage before = window->image();
    trigger("MenuUnitHistory");
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.last(), "Open file error!");
    EXPECT_EQ(window->image(), before);

    // Closing the list changes nothing.
    dialogs.answerHistory = nullptr;
    trigger("MenuUnitHistory");
    EXPECT_EQ(window->image(), before);
}

TEST_F(HistoryWindowTest, ToolsMenuHoldsTheHistoryItemsAfterASeparatorInEveryLanguage)
{
    openShown({QStringLiteral("ENGLISH")});
    const QList<QAction *> items = find<QMenu>(QStringLiteral("MenuTools"))->actions();
    // "Compare..." stands first after the separator that ends the specified items; later
    // additions to the menu follow the history items.
    const auto compare = std::find_if(items.begin(), items.end(), [](const QAction *a) {
        return a->objectName() == QLatin1String("MenuCompare");
    });
    ASSERT_NE(compare, items.end());
    const qsizetype first = compare - items.begin();
    ASSERT_GE(first, 1);
    ASSERT_GE(items.size(), first + 4);
    EXPECT_TRUE(items[first - 1]->isSeparator());
    const auto last = items.mid(first, 4);
    EXPECT_EQ(last[1]->objectName(), "MenuUnitHistory");
    EXPECT_EQ(last[2]->objectName(), "MenuKeepHistory");
    EXPECT_EQ(last[3]->objectName(), "MenuBackupFirst");
    const auto caption = [&](int i) { return last[i]->text().remove(QLatin1Char('&')); };
    EXPECT_EQ(caption(1), "Unit history...");
    EXPECT_EQ(caption(2), "Keep unit history");
    EXPECT_EQ(caption(3), "Back up the unit before programming");
    trigger("MenuCzech");
    EXPECT_EQ(caption(2), QString::fromUtf8("Vést historii jednotky"));
    trigger("MenuGerman");
    EXPECT_EQ(caption(3), QString::fromUtf8("Gerät vor dem Programmieren sichern"));
}

namespace {

files::HistoryEntry entry(int minutesAgo, HistoryKind kind, const char *identity, const char *stem)
{
    return {std::chrono::system_clock::now() - std::chrono::minutes(minutesAgo), kind, identity,
            std::string("/h/") + stem + ".ign", std::string("/h/") + stem + ".img"};
}

} // namespace

TEST(HistoryDialog, FiltersByUnitAndLoadsTheChosenEntry)
{
    ui::HistoryRequest request;
    request.language = 2;
    request.entries = {entry(1, HistoryKind::Program, "BBB02  1. 1.2020 10:00", "e1"),
                       entry(2, HistoryKind::Read, "AAA01  2. 2.2021 11:00", "e2"),
                       entry(3, HistoryKind::Backup, "BBB02  1. 1.2020 10:00", "e3")};
    request.identity = "BBB02  1. 1.2020 10:00";
    ui::HistoryDialog dialog(request);
    auto *filter = dialog.findChild<QComboBox *>(QStringLiteral("ComboBoxIdentity"));
    auto *table = dialog.findChild<QTableWidget *>(QStringLiteral("TableHistory"));
    auto *load = dialog.findChild<QPushButton *>(QStringLiteral("ButtonLoad"));
    ASSERT_TRUE(filter && table && load);

    // It starts on the unit on the line, and offers every unit once.
    EXPECT_EQ(filter->count(), 3);
    EXPECT_EQ(filter->currentText(), "BBB02  1. 1.2020 10:00");
    ASSERT_EQ(dialog.shown().size(), 2u);
    EXPECT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(1, 1)->text(), "Sicherung");
    EXPECT_EQ(table->item(1, 3)->text(), "e3.ign");
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), "Zeit");

    filter->setCurrentIndex(0);
    ASSERT_EQ(dialog.shown().size(), 3u);
    EXPECT_EQ(table->rowCount(), 3);
    EXPECT_EQ(table->item(1, 2)->text(), "AAA01  2. 2.2021 11:00");
    dialog.setFilter(2);
    ASSERT_EQ(dialog.shown().size(), 1u);
    EXPECT_EQ(dialog.shown()[0]->parameterFile, "/h/e2.ign");

    dialog.setFilter(0);
    table->selectRow(2);
    ASSERT_TRUE(load->isEnabled());
    load->click();
    ASSERT_TRUE(dialog.choice());
    EXPECT_EQ(dialog.choice()->entry.imageFile, "/h/e3.img");
    EXPECT_EQ(dialog.choice()->action, ui::HistoryAction::Load);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(HistoryDialog, EmptyHistoryOffersNothingToLoad)
{
    ui::HistoryRequest request;
    request.identity = "VSU07 14. 3.2024 09:30";
    ui::HistoryDialog dialog(request);
    auto *load = dialog.findChild<QPushButton *>(QStringLiteral("ButtonLoad"));
    ASSERT_TRUE(load);
    EXPECT_EQ(dialog.findChild<QComboBox *>(QStringLiteral("ComboBoxIdentity"))->currentIndex(), 0);
    EXPECT_FALSE(load->isEnabled());
    dialog.loadSelected();
    EXPECT_FALSE(dialog.choice());
}
