// "Compare...": the window's set against a file, a history entry and the unit, in a window of
// its own, and the other set loaded into the window.
#include "window_link_fixture.h"

#include "files/image_file.h"
#include "files/parameter_file.h"
#include "files/unit_history.h"
#include "model/cells.h"
#include "model/parameter_set.h"
#include "sim/identity_block.h"
#include "ui/compare_window.h"
#include "ui/history_dialog.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <fstream>

using namespace velmora;
using namespace velmora::layout;
using velmora::ui::CompareWith;

namespace {

class CompareWindowTest : public velmora::test::WindowLinkTest {
protected:
    QString path(const char *name) const { return folder.filePath(QString::fromUtf8(name)); }
    void compare(CompareWith with)
    {
        dialogs.comparisons.push_back(with);
        find<QAction>(QStringLiteral("MenuCompare"))->trigger();
    }
    ui::CompareWindow *compareWindow() const
    {
        return window->findChild<ui::CompareWindow *>(QStringLiteral("CompareWindow"));
    }
    template <typename T> T *part(const char *name) const
    {
        T *w = compareWindow()->findChild<T *>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    // One row of the list as text, cells separated by '|'.
    QString listRow(int row) const
    {
        auto *list = part<QTableWidget>("CompareList");
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << (list->item(row, c) ? list->item(row, c)->text() : QString());
        return cells.join(QLatin1Char('|'));
    }
    QString gridCell(int row, int column) const
    {
        const QTableWidgetItem *i = part<QTableWidget>("CompareGrid")->item(row, column);
        return i ? i->text() : QString();
    }
    // The window's set, changed in an axis point, a curve point and a map cell.
    DeviceImage changedSet() const
    {
        DeviceImage other = window->image();
        other[kAdvance + 2] = static_cast<std::uint8_t>(other[kAdvance + 2] - 1);
        other[kJetTp + 37] = static_cast<std::uint8_t>(other[kJetTp + 37] + 4);
        return other;
    }
    static QString change(int a, int b) { return QStringLiteral("%1 → %2").arg(a).arg(b); }

    QTemporaryDir folder;
};

} // namespace

TEST_F(CompareWindowTest, CompareIsTheLastToolAfterASeparator)
{
    open({QStringLiteral("ENGLISH")});
    const QList<QAction *> items = find<QMenu>(QStringLiteral("MenuTools"))->actions();
    ASSERT_GE(items.size(), 2);
    const auto at = items.indexOf(find<QAction>(QStringLiteral("MenuCompare")));
    ASSERT_GT(at, 0);
    EXPECT_TRUE(items[at - 1]->isSeparator());
    EXPECT_EQ(items[at]->text(), "Co&mpare...");
    window->MenuGermanClick();
    EXPECT_EQ(items[at]->text(), "Ver&gleich...");
}

TEST_F(CompareWindowTest, AParameterFileIsListedAndGriddedAndLoadedAsOpenLoadsIt)
{
    openShown({QStringLiteral("ENGLISH")});
    const DeviceImage before = window->image();
    const DeviceImage other = changedSet();
    const QString file = path("other.ign");
    ASSERT_TRUE(files::saveParameterFile(file.toStdString(), other, false));
    dialogs.openPaths.push_back(file);

    compare(CompareWith::File);
    ASSERT_NE(compareWindow(), nullptr);
    EXPECT_TRUE(compareWindow()->isVisible());
    EXPECT_EQ(window->image(), before) << "comparing changes nothing";

    auto *list = part<QTableWidget>("CompareList");
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(
        listRow(0),
        QStringLiteral("ADVANCE[2]|||%1|%2").arg(before[kAdvance + 2]).arg(other[kAdvance + 2]));
    EXPECT_EQ(listRow(1),
              QStringLiteral("JET_TP|3|7|%1|%2").arg(before[kJetTp + 37]).arg(other[kJetTp + 37]));
    EXPECT_EQ(list->horizontalHeaderItem(3)->text(), "This window");

    // The grid of the curve, then of the map: the differing point alone is filled.
    auto *tables = part<QComboBox>("CompareTable");
    ASSERT_EQ(tables->count(), 2);
    EXPECT_EQ(tables->itemText(0), "ADVANCE");
    EXPECT_EQ(gridCell(0, 2), change(before[kAdvance + 2], other[kAdvance + 2]));
    EXPECT_EQ(gridCell(0, 3), QString());
    tables->setCurrentIndex(1);
    EXPECT_EQ(part<QTableWidget>("CompareGrid")->rowCount(), 10);
    EXPECT_EQ(gridCell(3, 7), change(before[kJetTp + 37], other[kJetTp + 37]));
    EXPECT_EQ(gridCell(7, 3), QString());

    // The window's texts follow the language.
    window->MenuCzechClick();
    EXPECT_EQ(list->horizontalHeaderItem(3)->text(), "Toto okno");
    EXPECT_EQ(part<QPushButton>("CompareLoad")->text(), "&Nahrát druhou sadu do okna");
    window->MenuEnglishClick();

    part<QPushButton>("CompareLoad")->click();
    EXPECT_FALSE(compareWindow()->isVisible());
    EXPECT_EQ(at(kAdvance + 2), other[kAdvance + 2]);
    EXPECT_EQ(at(kJetTp + 37), other[kJetTp + 37]);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelFile2"))->text(), file);
    EXPECT_EQ(window->grid().edit(cell::kAdvance + 2)->text().toInt(), other[kAdvance + 2])
        << "the show step ran";

    // Now the sets are the same.
    dialogs.openPaths.push_back(file);
    compare(CompareWith::File);
    EXPECT_EQ(part<QTableWidget>("CompareList")->rowCount(), 0);
    EXPECT_EQ(part<QLabel>("CompareHeading")->text().section(QLatin1Char('\n'), 1),
              "The sets are equal.");
}

TEST_F(CompareWindowTest, AnImageFileComparesItsParameterBytesAndLoadsBytes100To599)
{
    open({QStringLiteral("ENGLISH")});
    DeviceImage other = changedSet();
    other[kReserved[9].first] = static_cast<std::uint8_t>(other[kReserved[9].first] + 1);
    other[id::kVersion] = static_cast<std::uint8_t>(other[id::kVersion] + 3); // not compared
    const QString file = path("other.img");
    ASSERT_TRUE(files::saveImageFile(file.toStdString(), other));
    dialogs.openPaths.push_back(file);

    compare(CompareWith::File);
    auto *list = part<QTableWidget>("CompareList");
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(listRow(2), QStringLiteral("BYTE[290]|||%1|%2")
                              .arg(window->image()[kReserved[9].first])
                              .arg(other[kReserved[9].first]));

    const std::uint8_t version = at(id::kVersion);
    part<QPushButton>("CompareLoad")->click();
    EXPECT_EQ(at(kReserved[9].first), other[kReserved[9].first]);
    EXPECT_EQ(at(kJetTp + 37), other[kJetTp + 37]);
    EXPECT_EQ(at(id::kVersion), version);
}

TEST_F(CompareWindowTest, UnreadableFilesAreReportedAndCompareNothing)
{
    open({QStringLiteral("ENGLISH")});
    std::ofstream(path("short.img").toStdString()) << "1 2 3\n";
    std::ofstream(path("old.ign").toStdString()) << "KORVANTA_KEY 42\nADVANCE 1\n";
    const DeviceImage before = window->image();
    for (const char *name : {"short.img", "old.ign", "missing.ign"}) {
        dialogs.openPaths.push_back(path(name));
        compare(CompareWith::File);
    }
    ASSERT_GE(dialogs.messages.size(), 3);
    EXPECT_EQ(dialogs.messages.mid(dialogs.messages.size() - 3),
              (QStringList{"The image file does not hold all 600 bytes!",
                           "Unmatched version of *.ign file!", "Open file error!"}));
    const auto told = dialogs.messages.size();
    EXPECT_EQ(compareWindow(), nullptr);
    EXPECT_EQ(window->image(), before);

    compare(CompareWith::File); // the file dialog cancelled
    EXPECT_EQ(dialogs.messages.size(), told);
    EXPECT_EQ(compareWindow(), nullptr);
}

TEST_F(CompareWindowTest, TheUnitIsReadAsideAndTheWindowsImageStaysUntouched)
{
    openShown({QStringLiteral("ENGLISH")});
    DeviceImage held = changedSet();
    held[kReserved[0].first] = 9;
    sim::IdentityBlock{}.writeTo(held);
    unit.store().setImage(held);
    connectUnit();
    const DeviceImage before = window->image();

    compare(CompareWith::Unit);
    EXPECT_EQ(compareWindow(), nullptr) << "nothing to show before the read has ended";
    ASSERT_TRUE(tickUntilIdle());
    ASSERT_NE(compareWindow(), nullptr);
    EXPECT_EQ(window->image(), before);
    auto *list = part<QTableWidget>("CompareList");
    ASSERT_EQ(list->rowCount(), 3);
    EXPECT_EQ(listRow(1),
              QStringLiteral("JET_TP|3|7|%1|%2").arg(before[kJetTp + 37]).arg(held[kJetTp + 37]));
    EXPECT_EQ(listRow(2), QStringLiteral("BYTE[101]|||%1|9").arg(before[kReserved[0].first]));
    EXPECT_FALSE(part<QPushButton>("CompareLoad")->isVisible());
    EXPECT_NE(part<QLabel>("CompareHeading")->text().indexOf("the unit"), -1);
    EXPECT_EQ(unit.counters().perCommand[0x00], 0u) << "nothing programmed";
    EXPECT_TRUE(files::UnitHistory(historyFolder()).entries().empty()) << "a read to compare";
}

TEST_F(CompareWindowTest, AFailedUnitReadShowsNoComparison)
{
    openShown({QStringLiteral("ENGLISH")});
    sim::IdentityBlock refusing;
    refusing.readPermission = 0;
    DeviceImage held = window->image();
    refusing.writeTo(held);
    unit.store().setImage(held);
    connectUnit();

    compare(CompareWith::Unit);
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(compareWindow(), nullptr);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelHlaseni"))->text(), "No Reading!");
    // A later ordinary Read is no compare's.
    refusing.readPermission = 1;
    refusing.writeTo(held);
    unit.store().setImage(held);
    find<QAction>(QStringLiteral("MenuRead"))->trigger();
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(compareWindow(), nullptr);
}

TEST_F(CompareWindowTest, TheNewestHistoryEntryOfThisUnitShowsWhatAProgramWillChange)
{
    open({QStringLiteral("ENGLISH")});
    compare(CompareWith::NewestEntry);
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages.last(), "The history holds no entry of this unit.");

    sim::IdentityBlock identity;
    identity.writeTo(window->image());
    const files::UnitHistory history(historyFolder());
    const auto now = std::chrono::system_clock::now();
    DeviceImage older = changedSet();
    older[kLimiter2] = static_cast<std::uint8_t>(older[kLimiter2] + 1);
    ASSERT_TRUE(history.record(files::HistoryKind::Read, older, now - std::chrono::hours(2)));
    const DeviceImage newer = changedSet();
    const auto entry = history.record(files::HistoryKind::Program, newer, now);
    ASSERT_TRUE(entry);
    DeviceImage otherUnit = older;
    sim::IdentityBlock another;
    another.name = "ABC";
    another.writeTo(otherUnit);
    ASSERT_TRUE(history.record(files::HistoryKind::Read, otherUnit, now + std::chrono::hours(1)));

    compare(CompareWith::NewestEntry);
    ASSERT_NE(compareWindow(), nullptr);
    EXPECT_EQ(part<QTableWidget>("CompareList")->rowCount(), 2) << "the newer entry, not LIMITER2";
    EXPECT_NE(part<QLabel>("CompareHeading")
                  ->text()
                  .indexOf(QString::fromStdString(entry->parameterFile.string())),
              -1);

    part<QPushButton>("CompareLoad")->click();
    EXPECT_EQ(at(kJetTp + 37), newer[kJetTp + 37]);
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelFile2"))->text().toStdString(),
              entry->parameterFile.string());
}

TEST_F(CompareWindowTest, TheHistoryListComparesTheChosenEntry)
{
    open({QStringLiteral("ENGLISH")});
    const files::UnitHistory history(historyFolder());
    const DeviceImage other = changedSet();
    const auto entry =
        history.record(files::HistoryKind::Read, other, std::chrono::system_clock::now());
    ASSERT_TRUE(entry);

    // The list's Compare button says what the user chose.
    ui::HistoryRequest request;
    request.entries = history.entries();
    ui::HistoryDialog list(request);
    auto *compareButton = list.findChild<QPushButton *>(QStringLiteral("ButtonCompare"));
    ASSERT_NE(compareButton, nullptr);
    EXPECT_EQ(compareButton->text(), "&Compare");
    compareButton->click();
    ASSERT_TRUE(list.choice());
    EXPECT_EQ(list.choice()->action, ui::HistoryAction::Compare);
    EXPECT_EQ(list.choice()->entry.imageFile, entry->imageFile);

    // The window compares with it and loads nothing until asked.
    const DeviceImage before = window->image();
    dialogs.answerHistory = [&](const ui::HistoryRequest &) {
        return std::optional(ui::HistoryChoice{*entry, ui::HistoryAction::Compare});
    };
    find<QAction>(QStringLiteral("MenuUnitHistory"))->trigger();
    ASSERT_NE(compareWindow(), nullptr);
    EXPECT_EQ(window->image(), before);
    EXPECT_EQ(part<QTableWidget>("CompareList")->rowCount(), 2);
    part<QPushButton>("CompareLoad")->click();
    EXPECT_EQ(at(kJetTp + 37), other[kJetTp + 37]);
}
