// The tuning step, ticks driven by hand; the unit echoes blocks, the live values are set here.
#include "link_fixture.h"

#include "sim/block_store.h"
#include "sim/responder.h"

using namespace velmora;
using namespace velmora::layout;

namespace {

class TuningTest : public velmora::test::LinkTest {
protected:
    TuningTest()
    {
        image = sim::BlockStore::defaultImage();
        image[kTpsMode] = 0;
        port.answer = [this](const link::Frame &request) {
            if (request[0] == link::kMonitorCommand || !echo)
                return; // the live values come from the test
            if (auto reply = unit.answer(request, sim::Clock::now()))
                port.push(*reply);
        };
        view.tuningOn = true;
        view.page = link::Link::kTp14Page;
        // Held at 4000 rpm, 20 % throttle: TP row 4, column 3 of the default axes.
        link.live().speed = 4000;
        link.live().throttleOpening = 20;
        link.live().loadMode = 1;
        link.live().lambdaMv = 700; // lean against 800 +- 50
        link.live().fresh = true;
    }
    // Ticks while keeping a fresh reply at hand, as a polling unit would.
    void hold(int n)
    {
        for (int i = 0; i < n; ++i) {
            link.live().fresh = true;
            link.tick();
        }
    }
    std::vector<std::uint8_t> blockWrites() const
    {
        std::vector<std::uint8_t> out;
        for (std::uint8_t c : port.commands())
            if (c != link::kMonitorCommand)
                out.push_back(c);
        return out;
    }
    static constexpr std::size_t kCell = 10 * 4 + 3;
    sim::Responder unit;
    bool echo = true;
};

} // namespace

TEST_F(TuningTest, WindowLimits)
{
    link.tick(); // live points follow the live values at the end of a tick
    link.tick();
    EXPECT_TRUE(link.inWindow());
    const int s = 4000, tol = 100;
    for (int speed : {s - tol, s + tol}) {
        link.live().speed = static_cast<std::uint16_t>(speed);
        ticks(2);
        EXPECT_FALSE(link.inWindow()) << speed;
    }
    link.live().speed = s + tol - 1;
    ticks(2);
    EXPECT_TRUE(link.inWindow());

    image[kTuningTps] = 2;
    for (int load : {18, 22}) {
        link.live().throttleOpening = static_cast<std::uint8_t>(load);
        ticks(2);
        EXPECT_TRUE(link.inWindow()) << load;
    }
    image[kTuningTps] = 0;
    link.live().throttleOpening = 21; // row 4 still, but not exactly 20 %
    ticks(2);
    EXPECT_FALSE(link.inWindow());

    link.live().throttleOpening = 20;
    link.live().loadMode = 0; // the unit runs on the IAP map: the TP page does not match
    ticks(2);
    EXPECT_FALSE(link.inWindow());
    view.page = 0;
    link.live().loadMode = 1;
    ticks(2);
    EXPECT_FALSE(link.inWindow());
}

TEST_F(TuningTest, OnTargetBandIncludesItsEdges)
{
    for (int mv : {750, 850}) {
        link.live().lambdaMv = static_cast<std::uint16_t>(mv);
        hold(30);
        EXPECT_TRUE(link.onTarget()) << mv;
        EXPECT_EQ(link.steadyCount(), 0);
        EXPECT_TRUE(blockWrites().empty());
    }
    EXPECT_EQ(view.marking[kRowLabelCount + cell::kJetTp + kCell], link::Mark::Fuchsia);
    link.live().lambdaMv = 749;
    hold(2);
    EXPECT_FALSE(link.onTarget());
    EXPECT_EQ(view.marking[kRowLabelCount + cell::kJetTp + kCell], link::Mark::Yellow);
}

TEST_F(TuningTest, LeanCellIsRaisedAfterTheSteadyTimeAndProgrammed)
{
    const std::uint8_t before = image[kJetTp + kCell];
    hold(20);
    EXPECT_TRUE(blockWrites().empty()); // the steady counter needs 20 calls first
    hold(5);
    ASSERT_EQ(blockWrites(), std::vector<std::uint8_t>{0x03});
    EXPECT_EQ(image[kJetTp + kCell], before + 1);
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(unit.store().image()[kJetTp + kCell], before + 1);
    ticks(1); // the echo
    EXPECT_FALSE(link.tuningWritePending());
    EXPECT_EQ(view.message, "Program OK");
    EXPECT_EQ(view.gaugeValue, 1);

    // Rich now: the next change lowers it again.
    link.live().lambdaMv = 900;
    hold(30);
    EXPECT_EQ(image[kJetTp + kCell], before);
}

TEST_F(TuningTest, CoupledMapsWriteBlockFourAfterBlockThree)
{
    image[kTpsMode] = 1;
    const std::uint8_t before23 = image[kJetTpi + kCell];
    hold(25);
    ticks(2);
    EXPECT_EQ(blockWrites(), (std::vector<std::uint8_t>{0x03, 0x04}));
    EXPECT_EQ(image[kJetTpi + kCell], before23 + 1);
    EXPECT_EQ(view.message, "Program OK");
}

TEST_F(TuningTest, PagesThatCannotChangeSendNothingButTp14SendsAnyway)
{
    image[kJetTp + kCell] = 250;
    hold(25);
    EXPECT_EQ(blockWrites(), std::vector<std::uint8_t>{0x03}); // sent though nothing moved
    EXPECT_EQ(image[kJetTp + kCell], 250);
    ticks(1);

    view.page = link::Link::kTp23Page;
    image[kJetTpi + kCell] = 250;
    hold(40);
    EXPECT_EQ(blockWrites().size(), 1u);

    view.page = link::Link::kIapPage;
    link.live().loadMode = 0;
    link.live().intakePressure = 50; // row 4
    const std::size_t iapCell = 10 * 4 + 3;
    const std::uint8_t iapBefore = image[kJetIap + iapCell];
    hold(30);
    ASSERT_EQ(blockWrites().back(), 0x05);
    EXPECT_EQ(image[kJetIap + iapCell], iapBefore + 1);
}

TEST_F(TuningTest, UnansweredWriteIsResentAndSurvivesSwitchingOff)
{
    echo = false;
    hold(25);
    ASSERT_EQ(blockWrites().size(), 1u);
    hold(5 * 4);
    EXPECT_EQ(blockWrites().size(), 5u);
    EXPECT_NE(view.message, "Program error!");
    EXPECT_TRUE(view.endings.empty());
    hold(5);
    EXPECT_EQ(blockWrites().size(), 6u);
    EXPECT_EQ(view.message, "Program error!");
    EXPECT_TRUE(view.messageError);
    using Ending = velmora::test::FakeView::Ending;
    const Ending failed{link::Transaction::TuningWrite, link::Outcome::ProgramError};
    EXPECT_EQ(view.endings, std::vector<Ending>{failed});

    view.tuningOn = false;
    hold(30); // idle polling only; the write stays pending
    EXPECT_EQ(blockWrites().size(), 6u);
    EXPECT_TRUE(link.tuningWritePending());
    EXPECT_EQ(link.steadyCount(), 0);
    EXPECT_FALSE(link.inWindow());

    view.tuningOn = true;
    echo = true;
    hold(5); // the seventh send shows the error caption again, yet the write ended in error once
    EXPECT_EQ(blockWrites().size(), 7u);
    EXPECT_EQ(view.message, "Program error!");
    ticks(1);
    EXPECT_FALSE(link.tuningWritePending());
    EXPECT_EQ(view.message, "Program OK");
    EXPECT_EQ(view.endings,
              (std::vector<Ending>{failed, {link::Transaction::TuningWrite, link::Outcome::Ok}}));
}

TEST_F(TuningTest, StandingEngineOrMapHoldStopsTheStep)
{
    link.live().speed = 0;
    hold(40);
    EXPECT_TRUE(blockWrites().empty());
    link.live().speed = 4000;
    link.live().mapHold = 1;
    hold(40);
    EXPECT_TRUE(blockWrites().empty());
    EXPECT_EQ(link.steadyCount(), 0);
}

// Every cell a step moves is reported with its bytes before and after, once; a cell at its
// limit is not.
TEST_F(TuningTest, EachMovedCellIsReportedWithItsOldAndNewByte)
{
    using Tuned = test::FakeView::Tuned;
    image[kTpsMode] = 1; // coupled: a TP14 step moves the TP23 cell too
    image[kJetTp + kCell] = 120;
    image[kJetTpi + kCell] = 250;
    hold(25);
    EXPECT_EQ(view.tuned, (std::vector<Tuned>{{kJetTp + kCell, 120, 121}}));
    ticks(2);

    image[kJetTpi + kCell] = 90;
    link.live().lambdaMv = 900; // rich
    hold(30);
    EXPECT_EQ(view.tuned, (std::vector<Tuned>{{kJetTp + kCell, 120, 121},
                                              {kJetTp + kCell, 121, 120},
                                              {kJetTpi + kCell, 90, 89}}));
    ticks(2);

    view.tuned.clear();
    view.page = link::Link::kIapPage;
    link.live().loadMode = 0;
    link.live().intakePressure = 50;
    image[kJetIap + kCell] = 0; // no lower
    hold(30);
    EXPECT_TRUE(view.tuned.empty());
}
