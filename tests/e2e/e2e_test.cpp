// The window against the simulated unit through a real pseudo-terminal and the Qt serial port,
// paced by the real 55 ms timer.
#include "../ui/window_fixture.h"

#include "files/image_file.h"
#include "files/unit_history.h"
#include "sim/pty_unit.h"
#include "ui/gauge.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace velmora;
using namespace velmora::layout;

namespace {

class EndToEndTest : public velmora::test::WindowTest {
protected:
    void startUnit(const sim::FaultPlan &plan = {})
    {
        unit = std::make_unique<sim::PtyUnit>(sim::BlockStore{}, plan);
        ports[1] = unit->slavePath();
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        unit.reset();
    }
    QString message() const { return find<QLabel>(QStringLiteral("LabelHlaseni"))->text(); }
    bool waitForMessage(const QString &text, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return message() == text; }, ms);
    }
    void trigger(const char *action) { find<QAction>(QString::fromUtf8(action))->trigger(); }

    std::unique_ptr<sim::PtyUnit> unit;
};

} // namespace

TEST_F(EndToEndTest, ProgramWritesTheUnitAndReportsEachStage)
{
    startUnit();
    openShown({QStringLiteral("ENGLISH")});
    ASSERT_TRUE(window->portOpen());
    type("Edit12", QStringLiteral("17"));
    QTest::keyClick(edit("Edit12"), Qt::Key_Return);
    trigger("MenuProgram");
    EXPECT_EQ(message(), "Program device:");
    ASSERT_TRUE(waitForMessage(QStringLiteral("Verify device:"), 2000));
    // The tick that accepts the last verified block reports the finished pass at once.
    ASSERT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    EXPECT_EQ(find<ui::Gauge>(QStringLiteral("CGaugeProgram"))->progress(), 5);
    const DeviceImage unitImage = unit->image();
    EXPECT_EQ(unitImage[kAdvance + 1], 17);
    for (std::size_t b = 1; b <= 5; ++b)
        EXPECT_TRUE(std::equal(unitImage.block(b).begin(), unitImage.block(b).end(),
                               window->image().block(b).begin()))
            << b;
    EXPECT_TRUE(waitForMessage(QStringLiteral("Saving:")));
    EXPECT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    EXPECT_EQ(unit->counters().perCommand[0x05], 1u);
    EXPECT_TRUE(dialogs.notices.isEmpty());
}

TEST_F(EndToEndTest, ReadBringsTheUnitsValuesIntoTheCells)
{
    startUnit();
    DeviceImage theirs = unit->image();
    theirs[kAdvance] = 12;
    theirs[kLimiter2] = 99;
    unit->setImage(theirs);
    openShown({QStringLiteral("ENGLISH")});
    find<QLabel>(QStringLiteral("LabelFile2"))->setText(QStringLiteral("/tmp/old.ign"));
    QTest::mouseClick(find<QPushButton>(QStringLiteral("Button1")), Qt::LeftButton);
    ASSERT_TRUE(waitForMessage(QStringLiteral("Verify OK")));
    EXPECT_EQ(edit("Edit11")->text(), "12");
    EXPECT_EQ(edit("EditOmez2")->text(), "9,900");
    EXPECT_EQ(find<QLabel>(QStringLiteral("LabelVerze1"))->text(), "VSU07");
    EXPECT_TRUE(find<QLabel>(QStringLiteral("LabelFile2"))->text().isEmpty());

    QTest::mouseClick(find<QPushButton>(QStringLiteral("BitBtn2")), Qt::LeftButton);
    EXPECT_TRUE(waitForMessage(QStringLiteral("Verify device:"), 1000));
    EXPECT_TRUE(waitForMessage(QStringLiteral("Verify OK")));
}

TEST_F(EndToEndTest, RefusalOpensItsBoxAfterTheTickAndTicksGoOn)
{
    startUnit();
    sim::IdentityBlock identity;
    identity.modelMap = {1 << 3};
    DeviceImage theirs = unit->image();
    identity.writeTo(theirs);
    unit->setImage(theirs);
    openShown({QStringLiteral("ENGLISH")});

    // Drive the ticks by hand to see where the box opens.
    auto *timer = find<QTimer>(QStringLiteral("Timer1"));
    timer->stop();
    window->MenuProgramClick();
    ASSERT_TRUE(unit->waitForRequests(1, std::chrono::milliseconds(2000)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->portOpen(); }, 100));
    // The refusal needs the whole reply on the port before the tick that reads it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->link().port()->bytesWaiting() >= link::kFrameSize; }, 2000));
    window->Timer1Timer();
    EXPECT_EQ(window->link().transferMode(), link::TransferMode::Idle);
    EXPECT_TRUE(dialogs.notices.isEmpty()); // not from inside the tick
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.notices.size(), 1);
    EXPECT_EQ(dialogs.notices[0], "These Ignition is not for this type of motorbikes!");
    EXPECT_EQ(find<ui::Gauge>(QStringLiteral("CGaugeProgram"))->progress(), 0);
}

TEST_F(EndToEndTest, RealBoxLeavesTheTimerRunning)
{
    startUnit();
    sim::IdentityBlock identity;
    identity.compatibilityMark = 44;
    DeviceImage theirs = unit->image();
    identity.writeTo(theirs);
    unit->setImage(theirs);
    ui::MessageBoxDialogs real;
    window = std::make_unique<ui::TFormHlav>(real, options({QStringLiteral("ENGLISH")}));
    window->show();
    window->MenuReadClick();
    QMessageBox *box = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            box = window->findChild<QMessageBox *>();
            return box && box->isVisible();
        },
        3000));
    EXPECT_EQ(box->text(), "Unmatched version of PC and Ignition programs!");
    const quint64 before = window->tickCount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->tickCount() > before + 2; }, 3000));
    EXPECT_TRUE(box->isVisible());
    box->close();
}

TEST_F(EndToEndTest, SilentUnitShowsNoConnection)
{
    sim::FaultPlan plan;
    plan.silentAfter = 1;
    startUnit(plan);
    openShown({QStringLiteral("ENGLISH")});
    auto *spojeni = find<QLabel>(QStringLiteral("LabelSpojeni"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !spojeni->isHidden(); }, 4000));
    EXPECT_EQ(spojeni->text(), "No Connection");
}

TEST_F(EndToEndTest, MissingPortIsReportedOnceAndTheWindowWorks)
{
    openShown({QStringLiteral("ENGLISH")});
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages.first().section(QLatin1Char('\n'), 0, 0), "Com opening error");
    EXPECT_FALSE(window->portOpen());
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuCom1"))->isChecked());

    trigger("MenuVerify"); // no line: five silent sends, then the time-out
    EXPECT_TRUE(waitForMessage(QStringLiteral("Verify error!"), 3000));

    startUnit();
    ports[3] = unit->slavePath();
    trigger("MenuCom3");
    EXPECT_TRUE(window->portOpen());
    EXPECT_EQ(window->held().comPort, 3);
    EXPECT_TRUE(find<QAction>(QStringLiteral("MenuCom3"))->isChecked());
    EXPECT_FALSE(find<QAction>(QStringLiteral("MenuCom1"))->isChecked());
    EXPECT_EQ(dialogs.messages.size(), 1);
    trigger("MenuCom3"); // the same port again: closed and opened
    EXPECT_TRUE(window->portOpen());
    trigger("MenuCom2");
    EXPECT_EQ(dialogs.messages.size(), 2);
    ports.erase(3);

    window->held().comPort = 0;
    window->CloseComPort();
    window->OpenComPort();
    EXPECT_FALSE(window->portOpen());
    EXPECT_EQ(dialogs.messages.size(), 2);
}

TEST_F(EndToEndTest, ProgramAfterChangeProgramsEveryEdit)
{
    startUnit();
    openShown({QStringLiteral("ENGLISH")});
    find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
    clickBox("CheckBoxProgHned");
    ASSERT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    EXPECT_EQ(unit->counters().perCommand[0x05], 1u);
    type("Edit13", QStringLiteral("24"));
    QTest::keyClick(edit("Edit13"), Qt::Key_Return);
    EXPECT_EQ(message(), "Program device:");
    ASSERT_TRUE(waitForMessage(QStringLiteral("Verify device:")));
    ASSERT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    EXPECT_EQ(unit->image()[kAdvance + 2], 24);
    EXPECT_EQ(unit->counters().perCommand[0x05], 2u);
}

TEST_F(EndToEndTest, OneMapStepProgramsTheUnitOnceWhenProgrammingAfterChange)
{
    startUnit();
    openShown({QStringLiteral("ENGLISH")});
    clickBox("CheckBoxProgHned");
    ASSERT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    ASSERT_EQ(unit->counters().perCommand[0x05], 1u);
    find<QCheckBox>(QStringLiteral("CheckBoxJetIapAll"))->setChecked(true);
    find<QPushButton>(QStringLiteral("BitBtnJetIapPlus"))->click();
    EXPECT_EQ(message(), "Program device:");
    ASSERT_TRUE(waitForMessage(QStringLiteral("Verify device:")));
    ASSERT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    EXPECT_EQ(unit->counters().perCommand[0x05], 2u);
    EXPECT_EQ(unit->image()[kJetIap + 99], 101);
}

TEST_F(EndToEndTest, ReadAndProgramLeaveHistoryEntries)
{
    startUnit();
    openShown({QStringLiteral("ENGLISH")});
    const files::UnitHistory history(historyFolder());
    QTest::mouseClick(find<QPushButton>(QStringLiteral("Button1")), Qt::LeftButton);
    ASSERT_TRUE(waitForMessage(QStringLiteral("Verify OK")));
    ASSERT_EQ(history.entries().size(), 1u);
    EXPECT_EQ(history.entries()[0].kind, files::HistoryKind::Read);

    type("Edit12", QStringLiteral("17"));
    QTest::keyClick(edit("Edit12"), Qt::Key_Return);
    trigger("MenuProgram");
    ASSERT_TRUE(waitForMessage(QStringLiteral("Program device: OK")));
    const auto entries = history.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].kind, files::HistoryKind::Program);
    DeviceImage kept;
    ASSERT_EQ(files::loadImageFile(entries[0].imageFile, kept), kImageSize);
    EXPECT_EQ(kept[kAdvance + 1], 17);
    EXPECT_EQ(kept, unit->image());
}

TEST_F(EndToEndTest, RefusedReadIsNotKeptAndARefusedBackupSendsNoBlock)
{
    startUnit();
    sim::IdentityBlock refusing;
    refusing.readPermission = 0;
    unit->setIdentity(refusing);
    openShown({QStringLiteral("ENGLISH")});
    trigger("MenuRead");
    ASSERT_TRUE(waitForMessage(QStringLiteral("No Reading!")));
    trigger("MenuBackupFirst");
    ASSERT_TRUE(find<QAction>(QStringLiteral("MenuBackupFirst"))->isChecked());
    trigger("MenuProgram");
    ASSERT_TRUE(waitForMessage(QStringLiteral("No Reading!")));
    // Some ticks later still nothing has been written.
    const quint64 ticks = window->tickCount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->tickCount() >= ticks + 10; }, 5000));
    std::size_t writes = 0;
    for (std::size_t block = 0; block < kBlockCount; ++block)
        writes += unit->counters().perCommand[block];
    EXPECT_EQ(writes, 0u);
    EXPECT_GE(unit->counters().perCommand[0x40], 1u); // the backup did ask for block 0
    EXPECT_TRUE(files::UnitHistory(historyFolder()).entries().empty());
}
