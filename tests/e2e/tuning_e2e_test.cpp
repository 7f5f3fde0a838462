// The tuning loop closed through the pseudo-terminal: the window tunes the simulated engine.
#include "../ui/window_fixture.h"

#include "sim/pty_unit.h"

#include <QTabWidget>

using namespace velmora;
using namespace velmora::layout;

namespace {

class TuningLoopTest : public velmora::test::WindowTest {
protected:
    // The engine held at 4000 rpm and 20 % throttle: row 4, column 3 of the default TP maps.
    static constexpr std::size_t kCell = 43;

    void start(sim::LoadMode load = sim::LoadMode::Throttle)
    {
        unit = std::make_unique<sim::PtyUnit>(sim::BlockStore{}, sim::FaultPlan{.pace = false});
        sim::OperatingPoint point;
        point.rpm = 4000;
        point.throttlePercent = 20;
        point.intakePercent = 50; // IAP row 4
        point.loadMode = load;
        unit->setOperatingPoint(point);
        ports[1] = unit->slavePath();
        openShown({QStringLiteral("ENGLISH")});
        // Start from what the unit holds, so only the tuning changes its maps.
        window->MenuReadClick();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return find<QLabel>(QStringLiteral("LabelHlaseni"))->text() == "Verify OK"; },
            5000));
        pages()->setCurrentIndex(6);
        clickBox("CheckBoxLadeniPovoleno");
        type("EditLadeniCas", QStringLiteral("400")); // 8 steady calls instead of 20
        QTest::keyClick(edit("EditLadeniCas"), Qt::Key_Return);
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        unit.reset();
    }
    QTabWidget *pages() const { return find<QTabWidget>(QStringLiteral("PageControl1")); }
    void switchOn(int page)
    {
        pages()->setCurrentIndex(page);
        clickBox("CheckBoxLadeniOn");
        ASSERT_TRUE(find<QCheckBox>(QStringLiteral("CheckBoxLadeniOn"))->isChecked());
    }
    bool lambdaOnTarget() const
    {
        const int mv = window->link().live().lambdaMv;
        return mv >= 750 && mv <= 850;
    }

    std::unique_ptr<sim::PtyUnit> unit;
};

} // namespace

TEST_F(TuningLoopTest, LeanTp14CellIsRaisedUntilLambdaIsOnTarget)
{
    start();
    unit->setRequirement(sim::FuelMap::Tp14, kCell, 106);
    const std::uint8_t before = at(kJetTp + kCell);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->link().live().lambdaMv < 720; }, 2000));
    switchOn(link::Link::kTp14Page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lambdaOnTarget(); }, 20000));
    const int steps = at(kJetTp + kCell) - before;
    EXPECT_GE(steps, 3);
    EXPECT_LE(steps, 5);
    EXPECT_EQ(unit->image()[kJetTp + kCell], at(kJetTp + kCell));
    EXPECT_GE(unit->counters().perCommand[0x03], static_cast<std::size_t>(steps));
    EXPECT_EQ(unit->counters().perCommand[0x05], 0u);
    EXPECT_EQ(edit("Edit93")->text(), QString::number(at(kJetTp + kCell)));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return find<QLabel>(QStringLiteral("LabelHlaseni"))->text() == "Program OK"; },
        2000));
}

TEST_F(TuningLoopTest, LeanTp23CellIsRaisedOnTheTp23PageWritingOnlyBlockFour)
{
    start();
    unit->setTpLambdaMap(sim::FuelMap::Tp23);
    unit->setRequirement(sim::FuelMap::Tp23, kCell, 106);
    const DeviceImage before = window->image();
    const DeviceImage unitBefore = unit->image(); // the window's shorter time step is not in it
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->link().live().lambdaMv < 720; }, 2000));
    switchOn(link::Link::kTp23Page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lambdaOnTarget(); }, 20000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return find<QLabel>(QStringLiteral("LabelHlaseni"))->text() == "Program OK"; },
        2000));
    EXPECT_FALSE(window->link().tuningWritePending());

    const int steps = at(kJetTpi + kCell) - before[kJetTpi + kCell];
    EXPECT_GE(steps, 3);
    EXPECT_LE(steps, 5);
    EXPECT_EQ(edit("Edit93i")->text(), QString::number(at(kJetTpi + kCell)));
    // Only that cell moved, in the window and in the unit.
    DeviceImage expected = before;
    expected[kJetTpi + kCell] = at(kJetTpi + kCell);
    EXPECT_EQ(window->image(), expected);
    expected = unitBefore;
    expected[kJetTpi + kCell] = at(kJetTpi + kCell);
    EXPECT_EQ(unit->image(), expected);
    const auto counts = unit->counters().perCommand;
    EXPECT_GE(counts[0x04], static_cast<std::size_t>(steps));
    for (std::uint8_t block : {0x00, 0x01, 0x02, 0x03, 0x05})
        EXPECT_EQ(counts[block], 0u) << "block " << int(block) << " written";
}

TEST_F(TuningLoopTest, CoupledMapsProgramBlockFourAfterBlockThree)
{
    start();
    window->image()[kTpsMode] = 1;
    window->showStep();
    unit->setRequirement(sim::FuelMap::Tp14, kCell, 104);
    const std::uint8_t before23 = at(kJetTpi + kCell);
    switchOn(link::Link::kTp14Page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return unit->counters().perCommand[0x04] >= 1; }, 15000));
    EXPECT_GT(at(kJetTpi + kCell), before23);
    EXPECT_GE(unit->counters().perCommand[0x03], 1u);
}

TEST_F(TuningLoopTest, IapPageTunesTheIapMapWhenTheUnitRunsOnIt)
{
    start(sim::LoadMode::IntakePressure);
    unit->setRequirement(sim::FuelMap::Iap, kCell, 105);
    const std::uint8_t before = at(kJetIap + kCell);
    switchOn(link::Link::kIapPage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lambdaOnTarget(); }, 20000));
    EXPECT_GT(at(kJetIap + kCell), before);
    EXPECT_GE(unit->counters().perCommand[0x05], 1u);
    EXPECT_EQ(unit->counters().perCommand[0x03], 0u);
}

TEST_F(TuningLoopTest, PagesThatDoNotMatchChangeNothing)
{
    start(sim::LoadMode::IntakePressure);
    unit->setRequirement(sim::FuelMap::Iap, kCell, 106);
    const DeviceImage before = window->image();
    // Long enough on each page for the tuning step to have written several times over.
    const auto waitTicks = [&](quint64 ticks) {
        const quint64 until = window->tickCount() + ticks;
        return QTest::qWaitFor([&] { return window->tickCount() >= until; }, 10000);
    };
    switchOn(link::Link::kTp14Page); // a TP page while the unit runs on the IAP map
    ASSERT_TRUE(waitTicks(45));
    pages()->setCurrentIndex(0); // not a map page at all
    ASSERT_TRUE(waitTicks(27));
    EXPECT_EQ(window->image(), before);
    for (std::uint8_t block : {0x03, 0x04, 0x05})
        EXPECT_EQ(unit->counters().perCommand[block], 0u) << int(block);
    EXPECT_GT(unit->counters().perCommand[link::kMonitorCommand], 5u); // it kept polling
}
