// A line that breaks in the middle of a transaction, ticks driven by hand: the transaction ends
// at once, in the outcome and with the image a time-out at the same point would leave, but with
// a text of its own.
#include "link_fixture.h"

#include "link/memory_port.h"

#include "sim/block_store.h"
#include "sim/responder.h"

#include <functional>

using namespace velmora;
using velmora::link::Outcome;
using velmora::link::Transaction;
using velmora::link::TransferMode;
using Ending = velmora::test::FakeView::Ending;

namespace {

const char *const kLost = "Connection to the unit lost: the port was closed";

enum class Break : std::uint8_t {
    FailedWrite, // the request after the last answered one cannot be written
    Cut,         // the line goes while the last answer is on its way, so it never arrives
    Silence,     // the unit stops answering and the line stays: the time-out to compare with
};

// The unit holds a set that differs from the window's in every block, in bytes the consistency
// pass leaves alone (reserved ones and map cells), so that each block a Read takes shows in the
// image and its verify pass still matches.
DeviceImage unitSet()
{
    DeviceImage image = sim::BlockStore::defaultImage();
    for (std::size_t offset : {101, 290, 350, 450, 550})
        image[offset] = image[offset] == 77 ? 78 : 77;
    return image;
}

// One link, its window's image and a unit that answers `answered` requests before the line
// breaks as `how` says.
struct Bench {
    Bench(Break how, int answered) : m_how(how), m_answered(answered)
    {
        image = sim::BlockStore::defaultImage();
        unit.store().setImage(unitSet());
        link.setPort(&port);
        port.answer = [this](const link::Frame &request) {
            if (m_seen++ >= m_answered)
                return;
            if (auto reply = unit.answer(request, sim::Clock::now()))
                port.push(*reply);
            if (m_seen == m_answered)
                breakLine();
        };
        if (m_answered == 0)
            breakLine();
    }
    void breakLine()
    {
        if (m_how == Break::FailedWrite)
            port.failWrites = true;
        else if (m_how == Break::Cut)
            port.cut();
    }
    void start(Transaction t)
    {
        switch (t) {
        case Transaction::Read:
            link.MenuReadClick();
            break;
        case Transaction::Verify:
            unit.store().setImage(image); // a Verify of a unit that holds the window's set
            link.MenuVerifyClick();
            break;
        case Transaction::Program:
        case Transaction::TuningWrite:
        case Transaction::ScratchRead:
            link.MenuProgramClick();
            break;
        }
    }
    int runToIdle()
    {
        int n = 0;
        while (link.transferMode() != TransferMode::Idle && n < 200) {
            link.tick();
            ++n;
        }
        return n;
    }

    DeviceImage image;
    link::MemoryPort port;
    test::FakeView view{image};
    link::Link link{image, view};
    sim::Responder unit;

private:
    Break m_how;
    int m_answered;
    int m_seen = 0;
};

struct LossCase {
    const char *name;
    Transaction transaction;
    int answered; // requests answered before the break
    Outcome outcome;
};

void PrintTo(const LossCase &c, std::ostream *out)
{
    *out << c.name;
}

// Requests run block 0..5, then the verify pass 1..5: a Read's seventh request is its first
// verify, a Program's seventh its first verify.
const LossCase kLossCases[] = {
    {"ReadAtItsFirstRequest", Transaction::Read, 0, Outcome::ReadError},
    {"ReadAfterTwoBlocks", Transaction::Read, 3, Outcome::ReadError},
    {"ReadInItsVerifyPass", Transaction::Read, 8, Outcome::VerifyError},
    {"ProgramAtItsFirstRequest", Transaction::Program, 0, Outcome::ProgramError},
    {"ProgramAfterTheIdentity", Transaction::Program, 1, Outcome::ProgramError},
    {"ProgramAfterFourBlocks", Transaction::Program, 4, Outcome::ProgramError},
    {"ProgramInItsVerifyPass", Transaction::Program, 7, Outcome::VerifyError},
    {"VerifyAfterTwoBlocks", Transaction::Verify, 2, Outcome::VerifyError},
};

class LostLineTest : public ::testing::TestWithParam<std::tuple<LossCase, Break>> {};

} // namespace

TEST_P(LostLineTest, EndsAtOnceAsATimeOutWouldWithItsOwnText)
{
    const auto &[c, how] = GetParam();
    Bench lost(how, c.answered);
    const DeviceImage before = lost.image;
    // A cut takes the last answer with it.
    const int delivered = std::max(how == Break::Cut ? c.answered - 1 : c.answered, 0);
    lost.start(c.transaction);
    // One tick takes each answer, so the tick that meets the break is the one that ends it; a
    // break while the command itself sends ends it at once, or in the first tick for a cut that
    // only the next look at the line finds.
    EXPECT_EQ(lost.runToIdle(), c.answered == 0 ? 0 : std::max(delivered, 1));
    EXPECT_EQ(lost.view.endings, (std::vector<Ending>{{c.transaction, c.outcome}}));
    EXPECT_EQ(lost.view.message, kLost);
    EXPECT_TRUE(lost.view.messageError);
    EXPECT_TRUE(lost.view.boxes.empty());
    EXPECT_FALSE(lost.link.programDone());

    // The same unit falling silent where this line broke, and the time-out that follows.
    Bench silent(Break::Silence, delivered);
    silent.start(c.transaction);
    EXPECT_GT(silent.runToIdle(), 2 * link::Link::kMaxSends);
    EXPECT_EQ(silent.view.endings, lost.view.endings);
    EXPECT_NE(silent.view.message, kLost);
    EXPECT_EQ(lost.image, silent.image);

    // A Read took exactly the blocks whose answers came in before the break, a Program and a
    // Verify none of the parameters.
    const DeviceImage theirs = unitSet();
    for (std::size_t b = 1; b < layout::kBlockCount; ++b) {
        const bool taken = c.transaction == Transaction::Read && static_cast<int>(b) < delivered;
        ASSERT_FALSE(
            std::equal(theirs.block(b).begin(), theirs.block(b).end(), before.block(b).begin()))
            << "block " << b << " would not show whether it was taken";
        const auto expected = taken ? theirs.block(b) : before.block(b);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), lost.image.block(b).begin()))
            << "block " << b;
    }

    // Later ticks neither end anything again nor write to the lost line.
    const std::size_t written = lost.port.written.size();
    for (int t = 0; t < 40; ++t)
        lost.link.tick();
    EXPECT_EQ(lost.view.endings.size(), 1u);
    EXPECT_EQ(lost.port.written.size(), written);
}

INSTANTIATE_TEST_SUITE_P(Breaks, LostLineTest,
                         ::testing::Combine(::testing::ValuesIn(kLossCases),
                                            ::testing::Values(Break::FailedWrite, Break::Cut)),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Break::Cut ? "Cut" : "FailedWrite");
                         });

TEST(LostLine, TextFollowsTheLanguage)
{
    const std::vector<std::string> expected{"Spojení s jednotkou ztraceno: port byl uzavřen", kLost,
                                            "Verbindung zum Steuergerät verloren: der Port "
                                            "wurde geschlossen"};
    for (std::uint8_t lang = 0; lang < 3; ++lang) {
        Bench bench(Break::FailedWrite, 2);
        bench.view.lang = lang;
        bench.start(Transaction::Read);
        bench.runToIdle();
        EXPECT_EQ(bench.view.message, expected[lang]) << int(lang);
    }
}

TEST(LostLine, NoConnectionStillWaitsForTheUsualSilence)
{
    Bench bench(Break::Silence, 1000);
    // Up to the tick that takes a monitor reply.
    for (int t = 0; t < 20 && bench.view.monitorReplies < 2; ++t)
        bench.link.tick();
    ASSERT_EQ(bench.view.monitorReplies, 2);
    bench.port.cut();
    for (int t = 1; t < link::Link::kNoReplyTicks; ++t) {
        bench.link.tick();
        ASSERT_FALSE(bench.view.noConnection) << "tick " << t;
    }
    bench.link.tick();
    EXPECT_TRUE(bench.view.noConnection);
    EXPECT_TRUE(bench.view.endings.empty()) << "an idle line has nothing to end";
}
