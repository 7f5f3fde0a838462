#include "sim/responder.h"

#include "sim/monitor_reply.h"
#include "sim_test_frames.h"

#include <gtest/gtest.h>

namespace velmora::sim {
namespace {

using namespace testing;

const Clock::time_point kT0{};

class ResponderTest : public ::testing::Test {
protected:
    std::optional<link::Frame> send(const link::Frame &f) { return responder.answer(f, kT0); }
    std::uint16_t countdown() { return word(*send(request(0x30)), monitor::kSavingCountdown); }

    Responder responder;
};

TEST_F(ResponderTest, StoreCommandsStoreAndEchoBlocksOneToFive)
{
    for (std::uint8_t k = 1; k <= 5; ++k) {
        DeviceImage expected = responder.store().image();
        std::copy_n(pattern(k).begin(), layout::kBlockSize, expected.block(k).begin());
        const auto reply = send(request(k, k));
        ASSERT_TRUE(reply) << int(k);
        EXPECT_EQ(*reply, link::makeFrame(0x80 | k, pattern(k)));
        EXPECT_EQ(responder.store().image(), expected) << "only block " << int(k) << " changes";
    }
}

TEST_F(ResponderTest, BlockZeroIsAnsweredWithIdentityAndNotStored)
{
    const DeviceImage before = responder.store().image();
    EXPECT_EQ(send(request(0x00, 9)), link::makeFrame(0x80, IdentityBlock{}.toBlock()));
    EXPECT_EQ(responder.store().image(), before);
}

TEST_F(ResponderTest, ReadCommandsIgnoreRequestDataAndReturnStoredBlocks)
{
    send(request(3, 3));
    const DeviceImage before = responder.store().image();
    for (std::uint8_t k = 0; k <= 5; ++k)
        EXPECT_EQ(send(request(0x40 | k, 77)), link::makeFrame(0xC0 | k, before.block(k))) << k;
    EXPECT_TRUE(sameData(*send(request(0x43)), pattern(3)));
    EXPECT_EQ(responder.store().image(), before) << "reading stores nothing";
}

TEST_F(ResponderTest, MonitorRequestGetsAValidLiveReply)
{
    const auto reply = send(request(link::kMonitorCommand, 5));
    ASSERT_TRUE(reply);
    EXPECT_EQ((*reply)[0], 0xB0);
    EXPECT_TRUE(link::frameValid(*reply));
    EXPECT_EQ(word(*reply, monitor::kRpm), 1200);
}

TEST_F(ResponderTest, MalformedOrUnknownRequestsGetNoReplyAndChangeNothing)
{
    link::Frame bad = request(2, 2);
    bad[link::kFrameSize - 1] ^= 0x10;
    const DeviceImage before = responder.store().image();
    EXPECT_FALSE(send(bad));
    for (std::uint8_t command : {0x06, 0x2F, 0x31, 0x3F, 0x46, 0x7F, 0x80, 0x85, 0xB0})
        EXPECT_FALSE(send(request(command, 4))) << std::hex << int(command);
    EXPECT_EQ(responder.store().image(), before);

    const ResponderCounters &c = responder.counters();
    EXPECT_EQ(c.badCheck, 1u);
    EXPECT_EQ(c.perCommand[0x02], 0u) << "a spoilt frame is not counted for its command";
    EXPECT_EQ(c.unknown, 9u);
    EXPECT_EQ(c.replies, 0u);
}

TEST_F(ResponderTest, LogKeepsTheNewestRequestsWithTimes)
{
    for (std::size_t i = 0; i <= Responder::kLogLimit; ++i)
        responder.answer(request(i % 2 ? 0x30 : 0x07), kT0 + std::chrono::milliseconds(i));
    const auto &log = responder.log();
    ASSERT_EQ(log.size(), Responder::kLogLimit);
    EXPECT_EQ(log.front().at, kT0 + std::chrono::milliseconds(1));
    EXPECT_TRUE(log.front().answered);
    EXPECT_FALSE(log.back().answered);
    EXPECT_EQ(log.back().bytes, request(0x07));
    EXPECT_EQ(responder.counters().perCommand[0x30], Responder::kLogLimit / 2);
}

TEST_F(ResponderTest, StoringBlockFiveStartsTheSavingCountdown)
{
    EXPECT_EQ(countdown(), 0);
    for (std::uint8_t k = 1; k <= 4; ++k)
        send(request(k, k));
    send(request(0x45));
    EXPECT_EQ(countdown(), 0) << "only storing block 5 saves";

    send(request(5, 5));
    std::vector<std::uint16_t> seen;
    for (int i = 0; i < 8; ++i)
        seen.push_back(countdown());
    EXPECT_EQ(seen, (std::vector<std::uint16_t>{503, 403, 303, 203, 103, 3, 0, 0}));
}

TEST_F(ResponderTest, EachProgramPassCountsACycleAndRestartsTheCountdown)
{
    responder.setSavingStep(250);
    send(request(5, 1));
    EXPECT_EQ(countdown(), 503);
    EXPECT_EQ(countdown(), 253);
    send(request(5, 2));
    EXPECT_EQ(word(*send(request(0x30)), monitor::kProgrammingCycles), 2);
    EXPECT_EQ(countdown(), 253);

    LiveState live; // engine values only: the unit's own bookkeeping is not overwritten
    live.rpm = 4321;
    live.savingCountdown = 7;
    live.programmingCycles = 900;
    responder.setLive(live);
    const auto reply = *send(request(0x30));
    EXPECT_EQ(word(reply, monitor::kRpm), 4321);
    EXPECT_EQ(word(reply, monitor::kSavingCountdown), 3);
    EXPECT_EQ(word(reply, monitor::kProgrammingCycles), 2);
}

} // namespace
} // namespace velmora::sim
