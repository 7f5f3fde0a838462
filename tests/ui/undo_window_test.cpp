// Undo and Redo in the window: steps from cells, map operations and files, a Read in between,
// the unit following with Programming after change, and Ctrl+Z in a cell still being typed in.
#include "window_unit_fixture.h"

#include "files/parameter_file.h"
#include "model/fields.h"
#include "model/parameter_set.h"
#include "sim/identity_block.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

using namespace velmora;
using namespace velmora::layout;
using velmora::link::TransferMode;

namespace {

class UndoWindowTest : public velmora::test::WindowUnitTest {
protected:
    QAction *item(const char *name) const { return find<QAction>(QString::fromUtf8(name)); }
    QString undoText() const { return item("MenuUndo")->text(); }
    QString redoText() const { return item("MenuRedo")->text(); }
    void undo() { item("MenuUndo")->trigger(); }
    void redo() { item("MenuRedo")->trigger(); }
    // Types a value into a cell and confirms it with Enter.
    void enter(const char *cell, int value)
    {
        type(cell, QString::number(value));
        QTest::keyClick(edit(cell), Qt::Key_Return);
    }
    // The unit holds `image` with its identity block.
    void unitHolds(DeviceImage image)
    {
        consistencyPass(image);
        sim::IdentityBlock{}.writeTo(image);
        unit.store().setImage(image);
    }
    static bool sameParameters(const DeviceImage &a, const DeviceImage &b)
    {
        return std::equal(a.parameters().begin(), a.parameters().end(), b.parameters().begin());
    }

    QTemporaryDir files;
};

// IAP map cell of row r, column c, and its byte.
std::string iapCell(int row, int column)
{
    return "Edit" + std::to_string(160 + 10 * row + column);
}
std::size_t iapByte(int row, int column)
{
    return kJetIap + static_cast<std::size_t>(10 * row + column);
}

} // namespace

TEST_F(UndoWindowTest, EditMenuFollowsFileAndNamesTheStepInEachLanguage)
{
    openShown({QStringLiteral("ENGLISH")});
    const QList<QAction *> bar = window->menuBar()->actions();
    ASSERT_GE(bar.size(), 3);
    EXPECT_EQ(bar[0]->menu()->objectName(), "MenuFile");
    EXPECT_EQ(bar[1]->menu()->objectName(), "MenuEdit");
    EXPECT_EQ(bar[2]->menu()->objectName(), "MenuCom");
    EXPECT_EQ(bar[1]->text(), "&Edit");
    EXPECT_EQ(item("MenuUndo")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_EQ(item("MenuRedo")->shortcuts(),
              (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                                   QKeySequence(Qt::CTRL | Qt::Key_Y)}));
    EXPECT_EQ(undoText(), "&Undo");
    EXPECT_FALSE(item("MenuUndo")->isEnabled());
    EXPECT_FALSE(item("MenuRedo")->isEnabled());

    const int speed = shownValue(window->image(), Field::RpmJetIap, 4);
    enter(iapCell(2, 4).c_str(), 77);
    ASSERT_EQ(at(iapByte(2, 4)), 77);
    const QString where = QStringLiteral(" %1 rpm 30 %").arg(speed);
    EXPECT_EQ(undoText(), "&Undo IAP map" + where);
    EXPECT_TRUE(item("MenuUndo")->isEnabled());

    window->MenuCzechClick();
    EXPECT_EQ(bar[1]->text(), QString::fromUtf8("Úpr&avy"));
    EXPECT_EQ(undoText(), QString::fromUtf8("&Zpět: IAP mapa") + where);
    EXPECT_EQ(redoText(), "Z&novu");
    undo();
    EXPECT_EQ(redoText(), QString::fromUtf8("Z&novu: IAP mapa") + where);
    window->MenuGermanClick();
    EXPECT_EQ(redoText(), "&Wiederholen: IAP Karte" + where);
    EXPECT_EQ(undoText(), QString::fromUtf8("&Rückgängig"));
    EXPECT_FALSE(item("MenuUndo")->isEnabled());
}

TEST_F(UndoWindowTest, CellEditsAndAMapOperationGoBackAndForthStepByStep)
{
    openShown({QStringLiteral("ENGLISH")});
    const DeviceImage start = window->image();
    enter(iapCell(0, 0).c_str(), 90);
    enter("Edit13", 20); // advance point 3
    const DeviceImage edited = window->image();
    ASSERT_EQ(edited[iapByte(0, 0)], 90);
    ASSERT_EQ(edited[kAdvance + 2], 20);
    EXPECT_EQ(undoText(),
              QStringLiteral("&Undo Advance %1 rpm").arg(shownValue(edited, Field::RpmAdv, 2)));

    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(3);
    find<QCheckBox>(QStringLiteral("CheckBoxJetIapAll"))->setChecked(true);
    item("MenuToolsPlus")->trigger();
    const DeviceImage stepped = window->image();
    ASSERT_EQ(stepped[iapByte(0, 0)], 91);
    EXPECT_EQ(undoText(), "&Undo IAP map");

    undo();
    EXPECT_EQ(window->image(), edited);
    EXPECT_EQ(edit(iapCell(0, 0).c_str())->text(), "90");
    EXPECT_EQ(redoText(), "&Redo IAP map");
    undo();
    undo();
    EXPECT_EQ(window->image(), start);
    EXPECT_EQ(edit("Edit13")->text(), QString::number(start[kAdvance + 2]));
    EXPECT_FALSE(item("MenuUndo")->isEnabled());
    undo(); // nothing left: nothing changes
    EXPECT_EQ(window->image(), start);

    redo();
    redo();
    EXPECT_EQ(window->image(), edited);
    redo();
    EXPECT_EQ(window->image(), stepped);
    EXPECT_FALSE(item("MenuRedo")->isEnabled());

    // A new step after an undo ends what could be redone.
    undo();
    enter("EditOmez2", 12000);
    EXPECT_FALSE(item("MenuRedo")->isEnabled());
    EXPECT_EQ(redoText(), "&Redo");
    EXPECT_EQ(undoText(), "&Undo Limiter");
}

TEST_F(UndoWindowTest, AModelChoiceAndNewAreStepsOfTheirOwn)
{
    openShown({QStringLiteral("ENGLISH")});
    const DeviceImage start = window->image();
    dialogs.answers = {ui::Dialogs::Answer::Cancel, ui::Dialogs::Answer::Yes};
    window->ComboBoxBikeChange(3); // the defaults not wanted: the model alone changes
    ASSERT_EQ(at(kBike), 3);
    EXPECT_EQ(undoText(), "&Undo Motorbike type");
    const DeviceImage chosen = window->image();
    window->ComboBoxBikeChange(2);
    ASSERT_EQ(at(kBike), 2);
    EXPECT_EQ(undoText(), "&Undo New");
    const DeviceImage renewed = window->image();

    undo();
    undo();
    EXPECT_EQ(undoText(), "&Undo Motorbike type");
    undo();
    EXPECT_EQ(window->image(), start);
    EXPECT_EQ(find<QComboBox>(QStringLiteral("ComboBoxBike"))->currentIndex(), 0);
    redo();
    EXPECT_EQ(window->image(), chosen);
    redo();
    redo();
    EXPECT_EQ(window->image(), renewed);
}

TEST_F(UndoWindowTest, UndoingOpenAfterAReadLeavesTheUnitsBytes)
{
    openShown({QStringLiteral("ENGLISH")});
    connectUnit();
    const std::uint8_t original = at(iapByte(5, 5));
    ASSERT_NE(original, 140);
    enter(iapCell(5, 5).c_str(), 140);
    const DeviceImage beforeOpen = window->image();

    // A file that differs in a map cell, the limiter and the advance curve.
    DeviceImage fileSet = beforeOpen;
    fileSet[iapByte(1, 1)] = 33;
    fileSet[kAdvance + 1] = 9;
    setShownValue(fileSet, Field::Limiter2, 11000);
    const QString file = files.filePath(QStringLiteral("set.ign"));
    ASSERT_TRUE(files::saveParameterFile(file.toStdString(), fileSet, false));
    dialogs.openPaths = {file};
    item("MenuOpen")->trigger();
    const DeviceImage opened = window->image();
    ASSERT_EQ(opened[iapByte(1, 1)], 33);
    ASSERT_EQ(opened[kAdvance + 1], 9);
    EXPECT_EQ(undoText(), "&Undo Open");

    // The unit holds the opened set but for one cell the file changed and one it did not.
    DeviceImage unitSet = opened;
    unitSet[iapByte(1, 1)] = 44;
    unitSet[iapByte(7, 2)] = static_cast<std::uint8_t>(opened[iapByte(7, 2)] + 5);
    unitHolds(unitSet);
    item("MenuRead")->trigger();
    ASSERT_TRUE(tickUntilIdle());
    ASSERT_EQ(at(iapByte(1, 1)), 44);
    EXPECT_EQ(undoText(), "&Undo Open"); // the Read is no step

    // An edit after the Read is its own alone: undoing it keeps what the Read brought.
    enter(iapCell(9, 9).c_str(), 66);
    undo();
    EXPECT_EQ(at(iapByte(9, 9)), unitSet[iapByte(9, 9)]);
    EXPECT_EQ(at(iapByte(1, 1)), 44);
    EXPECT_EQ(at(iapByte(7, 2)), unitSet[iapByte(7, 2)]);
    EXPECT_EQ(undoText(), "&Undo Open");

    undo();
    EXPECT_EQ(at(iapByte(1, 1)), 44);                      // read after the Open: stays
    EXPECT_EQ(at(iapByte(7, 2)), unitSet[iapByte(7, 2)]);  // read, no part of the Open
    EXPECT_EQ(at(kAdvance + 1), beforeOpen[kAdvance + 1]); // the Open's own: back
    EXPECT_EQ(at(kLimiter2), beforeOpen[kLimiter2]);
    EXPECT_EQ(at(iapByte(5, 5)), 140);
    EXPECT_EQ(edit("EditOmez2")->text(),
              ui::formatCellValue(shownValue(beforeOpen, Field::Limiter2), true));
    EXPECT_EQ(undoText(), QStringLiteral("&Undo IAP map %1 rpm 60 %")
                              .arg(shownValue(beforeOpen, Field::RpmJetIap, 5)));

    // The Read brought the edited cell's value back from the unit: the edit's own value, so the
    // edit is undone there too.
    undo();
    EXPECT_EQ(at(iapByte(5, 5)), original);
    redo();
    redo();
    EXPECT_EQ(at(kAdvance + 1), 9);
    EXPECT_EQ(at(kLimiter2), opened[kLimiter2]);
    EXPECT_EQ(at(iapByte(1, 1)), 44); // still the unit's: redo finds it changed as well
    EXPECT_EQ(at(iapByte(7, 2)), unitSet[iapByte(7, 2)]);
}

TEST_F(UndoWindowTest, WithProgrammingAfterChangeTheUnitFollowsUndoAndRedo)
{
    openShown({QStringLiteral("ENGLISH")});
    unitHolds(window->image());
    clickBox("CheckBoxProgHned"); // programs the window's set once, at once
    connectUnit();
    ASSERT_TRUE(tickUntilIdle());
    const std::uint8_t original = at(kAdvance + 4);
    const std::size_t programmed = unit.counters().perCommand[0x05];

    enter("Edit15", original + 3);
    ASSERT_TRUE(tickUntilIdle());
    ASSERT_EQ(unit.store().image()[kAdvance + 4], original + 3);

    undo();
    EXPECT_EQ(at(kAdvance + 4), original);
    EXPECT_EQ(window->link().transferMode(), TransferMode::Program);
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(unit.store().image()[kAdvance + 4], original);
    EXPECT_TRUE(sameParameters(unit.store().image(), window->image()));

    redo();
    ASSERT_TRUE(tickUntilIdle());
    EXPECT_EQ(unit.store().image()[kAdvance + 4], original + 3);
    EXPECT_TRUE(sameParameters(unit.store().image(), window->image()));
    EXPECT_EQ(unit.counters().perCommand[0x05], programmed + 3); // edit, undo, redo
}

TEST_F(UndoWindowTest, ControlZTakesBackTypingInTheCellBeforeTheWindowsStep)
{
    openShown({QStringLiteral("ENGLISH")});
    const std::uint8_t original = at(kAdvance + 5);
    enter("Edit16", original + 2);
    ASSERT_EQ(at(kAdvance + 5), original + 2);
    const QString shown = edit("Edit90")->text();

    type("Edit90", QStringLiteral("123")); // typed, not confirmed
    ASSERT_EQ(edit("Edit90")->text(), "123");
    QTest::keyClick(edit("Edit90"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit("Edit90")->text(), shown);
    EXPECT_EQ(at(kAdvance + 5), original + 2); // the window's step is still there
    EXPECT_TRUE(item("MenuUndo")->isEnabled());

    // Nothing typed any more: the same key is the window's Undo.
    QTest::keyClick(edit("Edit90"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(at(kAdvance + 5), original);
    EXPECT_EQ(edit("Edit16")->text(), QString::number(original));
    EXPECT_EQ(edit("Edit90")->text(), shown);

    QTest::keyClick(edit("Edit90"), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(at(kAdvance + 5), original + 2);
    QTest::keyClick(edit("Edit90"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(at(kAdvance + 5), original);
    QTest::keyClick(edit("Edit90"), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(at(kAdvance + 5), original + 2);

    // A confirmed cell's typing is no longer the cell's to undo.
    enter("Edit90", 61);
    ASSERT_EQ(at(kJetTp + 40), 61);
    edit("Edit90")->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(edit("Edit90"), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit("Edit90")->text(), shown);
    EXPECT_EQ(at(kJetTp + 40), shown.toInt());
}
