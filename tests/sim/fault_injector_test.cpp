#include "sim/fault_injector.h"

#include "sim_test_frames.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

using namespace testing;

// A reply as the responder would make it for `command`.
link::Frame reply(std::uint8_t command)
{
    return link::makeFrame(command ^ link::kReplyBit, pattern(1));
}

std::vector<std::uint8_t> bytesOf(const link::Frame &f)
{
    return {f.begin(), f.end()};
}

// What goes out for `count` monitor replies in a row.
std::vector<std::vector<std::uint8_t>> run(FaultInjector &injector, int count)
{
    std::vector<std::vector<std::uint8_t>> out;
    for (int i = 0; i < count; ++i)
        out.push_back(injector.shape(reply(0x30)).bytes());
    return out;
}

// The frame is valid and carries the reply's command, but exactly one data byte differs.
void expectAltered(const Transmission &tx, const link::Frame &original)
{
    const auto out = tx.bytes();
    ASSERT_EQ(out.size(), link::kFrameSize);
    EXPECT_TRUE(link::frameValid(out));
    EXPECT_EQ(out[0], original[0]);
    int differing = 0;
    for (std::size_t i = 1; i <= link::kFrameData; ++i)
        differing += out[i] != original[i];
    EXPECT_EQ(differing, 1);
}

TEST(FaultInjector, WithoutFaultsTheReplyGoesOutWholeAtOnce)
{
    FaultInjector injector;
    const Transmission tx = injector.shape(reply(0x30));
    ASSERT_EQ(tx.segments.size(), 1u);
    EXPECT_EQ(tx.segments[0].pauseBefore.count(), 0);
    EXPECT_EQ(tx.bytes(), bytesOf(reply(0x30)));
    EXPECT_FALSE(tx.hangUp);
    EXPECT_EQ(injector.shape(std::nullopt).size(), 0u);
}

TEST(FaultInjector, DropsEveryNthReplyCountingRepliesOnly)
{
    FaultInjector injector({.dropEvery = 3});
    const auto out = run(injector, 2);
    injector.shape(std::nullopt); // an unanswered request does not move the count
    EXPECT_EQ(injector.shape(reply(0x30)).size(), 0u);
    EXPECT_EQ(out[1].size(), link::kFrameSize);
    EXPECT_EQ(run(injector, 3)[2].size(), 0u);
}

TEST(FaultInjector, CorruptsOnlyTheCheckByte)
{
    FaultInjector injector({.corruptEvery = 2});
    const auto out = run(injector, 2);
    EXPECT_TRUE(link::frameValid(out[0]));
    ASSERT_EQ(out[1].size(), link::kFrameSize);
    EXPECT_FALSE(link::frameValid(out[1]));
    EXPECT_TRUE(std::equal(out[1].begin(), out[1].end() - 1, reply(0x30).begin()));
}

TEST(FaultInjector, WrongCommandIsOtherwiseAValidFrame)
{
    FaultInjector injector({.wrongCommandEvery = 1});
    const auto out = injector.shape(reply(0x42)).bytes();
    ASSERT_EQ(out.size(), link::kFrameSize);
    EXPECT_TRUE(link::frameValid(out));
    EXPECT_NE(out[0], 0xC2);
    EXPECT_TRUE(sameData(out, pattern(1)));
}

TEST(FaultInjector, SplitStraddlesAPollTickWithStrayBytesAhead)
{
    FaultInjector injector({.splitEvery = 2, .strayBytes = 3, .strayEvery = 2});
    EXPECT_EQ(injector.shape(reply(0x30)).segments.size(), 1u);
    const Transmission tx = injector.shape(reply(0x30));
    ASSERT_EQ(tx.segments.size(), 2u);
    EXPECT_EQ(tx.segments[0].bytes.size(), 3u + 51u);
    EXPECT_GT(tx.segments[1].pauseBefore, std::chrono::milliseconds(55));
    const auto out = tx.bytes();
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 3),
              std::vector<std::uint8_t>(3, 0x5A));
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin() + 3, out.end()), bytesOf(reply(0x30)));

    FaultInjector edge({.splitEvery = 1, .splitAt = 500}); // never an empty second part
    EXPECT_EQ(edge.shape(reply(0x30)).segments.at(1).bytes.size(), 1u);
}

TEST(FaultInjector, AltersOnlyTheChosenBlockCountingItsRepliesOnly)
{
    FaultInjector injector({.alterEvery = 2, .alterBlock = 3});
    EXPECT_EQ(injector.shape(reply(0x03)).bytes(), bytesOf(reply(0x03)));
    EXPECT_EQ(injector.shape(reply(0x02)).bytes(), bytesOf(reply(0x02)));
    EXPECT_EQ(injector.shape(reply(0x30)).bytes(), bytesOf(reply(0x30)));
    expectAltered(injector.shape(reply(0x43)), reply(0x43));
}

TEST(FaultInjector, AlteringWithoutABlockSparesIdentityAndMonitor)
{
    FaultInjector injector({.alterEvery = 1});
    EXPECT_EQ(injector.shape(reply(0x00)).bytes(), bytesOf(reply(0x00)));
    EXPECT_EQ(injector.shape(reply(0x40)).bytes(), bytesOf(reply(0x40)));
    EXPECT_EQ(injector.shape(reply(0x30)).bytes(), bytesOf(reply(0x30)));
    expectAltered(injector.shape(reply(0x01)), reply(0x01));
    expectAltered(injector.shape(reply(0x45)), reply(0x45));
}

TEST(FaultInjector, SilenceAndHangUpCountRequestsAnsweredOrNot)
{
    FaultInjector silent({.silentAfter = 2});
    EXPECT_EQ(silent.shape(reply(0x30)).size(), link::kFrameSize);
    silent.shape(std::nullopt);
    for (const auto &out : run(silent, 3))
        EXPECT_TRUE(out.empty());

    FaultInjector hangUp({.hangupAfter = 2});
    hangUp.shape(std::nullopt);
    const Transmission last = hangUp.shape(reply(0x30));
    EXPECT_TRUE(last.hangUp);
    EXPECT_EQ(last.size(), link::kFrameSize) << "the last reply still goes out";
}

TEST(FaultInjector, FaultsCombineAndANewPlanCountsAfresh)
{
    FaultInjector injector({.dropEvery = 2, .corruptEvery = 3});
    const auto out = run(injector, 6);
    EXPECT_TRUE(link::frameValid(out[0]));
    EXPECT_TRUE(out[1].empty());
    EXPECT_FALSE(link::frameValid(out[2]));
    EXPECT_TRUE(out[5].empty()) << "dropping wins over corrupting";

    FaultInjector both({.corruptEvery = 1, .wrongCommandEvery = 1});
    const auto spoilt = both.shape(reply(0x30)).bytes();
    EXPECT_NE(spoilt[0], 0xB0);
    EXPECT_FALSE(link::frameValid(spoilt));

    run(injector, 1);
    injector.setPlan({.dropEvery = 2});
    EXPECT_FALSE(run(injector, 1)[0].empty());
}

TEST(LineTime, TenBitsPerByte)
{
    EXPECT_EQ(lineTime(link::kFrameSize, 57600).count(), 17708);
    EXPECT_EQ(lineTime(100, 0).count(), 0);
}

} // namespace
} // namespace velmora::sim
