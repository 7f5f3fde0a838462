#include "sim/pty_unit.h"

#include "pc_port.h"
#include "sim/monitor_reply.h"
#include "sim_test_frames.h"

#include <gtest/gtest.h>

#include <thread>

namespace velmora::sim {
namespace {

using namespace testing;
using namespace std::chrono_literals;

FaultPlan unpaced(FaultPlan plan = {})
{
    plan.pace = false;
    return plan;
}

class PtyUnitTest : public ::testing::Test {
protected:
    void start(const FaultPlan &plan)
    {
        unit = std::make_unique<PtyUnit>(BlockStore{}, plan);
        openPort();
    }
    void openPort()
    {
        port = std::make_unique<PcPort>(unit->slavePath());
        ASSERT_TRUE(port->isOpen()) << unit->slavePath();
    }
    std::vector<std::uint8_t> exchange(const link::Frame &request)
    {
        EXPECT_TRUE(port->send(request));
        return port->receive(link::kFrameSize);
    }
    std::vector<std::uint8_t> expected(std::uint8_t command, std::uint8_t seed) const
    {
        const link::Frame f = link::makeFrame(command, pattern(seed));
        return {f.begin(), f.end()};
    }

    std::unique_ptr<PtyUnit> unit;
    std::unique_ptr<PcPort> port;
};

TEST_F(PtyUnitTest, ProgramPassReadBackAndMonitorOverTheTerminal)
{
    start(unpaced());
    for (std::uint8_t k = 1; k <= 5; ++k)
        EXPECT_EQ(exchange(request(k, k)), expected(0x80 | k, k));
    for (std::uint8_t k = 1; k <= 5; ++k)
        EXPECT_EQ(exchange(request(0x40 | k)), expected(0xC0 | k, k));
    const DeviceImage image = unit->image();
    EXPECT_TRUE(sameData(link::makeFrame(0, image.block(5)), pattern(5)));

    const auto monitorReply = exchange(request(0x30));
    ASSERT_EQ(monitorReply.size(), link::kFrameSize);
    EXPECT_EQ(monitorReply[0], 0xB0);
    EXPECT_TRUE(link::frameValid(monitorReply));
    EXPECT_EQ(monitorReply[monitor::kSavingCountdown], Responder::kSavingStart & 0xFF);

    const auto log = unit->frameLog();
    ASSERT_EQ(log.size(), 11u);
    EXPECT_LE(log[0].at, log[10].at);
    EXPECT_EQ(unit->counters().perCommand[0x45], 1u);
}

TEST_F(PtyUnitTest, PacedExchangeTakesAsLongAsTheLine)
{
    start({});
    const auto begin = PcPort::Clock::now();
    EXPECT_EQ(exchange(request(0x41)).size(), link::kFrameSize);
    EXPECT_GE(PcPort::Clock::now() - begin, lineTime(2 * link::kFrameSize, 57600));
}

TEST_F(PtyUnitTest, GarbageAndSpoiltRequestsAreSkipped)
{
    start(unpaced());
    const std::vector<std::uint8_t> garbage{0x30, 0x00, 0xFF, 0x12, 0x30, 0x99, 0x01};
    ASSERT_TRUE(port->send(garbage));
    EXPECT_EQ(exchange(request(0x42)).size(), link::kFrameSize);
    EXPECT_EQ(unit->discardedBytes(), garbage.size());

    link::Frame bad = request(0x30);
    bad[50] ^= 0x04;
    ASSERT_TRUE(port->send(bad));
    EXPECT_TRUE(port->receive(1, 150ms, 150ms).empty()) << "a spoilt request gets no reply";
    const auto reply = exchange(request(0x30, 1));
    ASSERT_EQ(reply.size(), link::kFrameSize) << "the next good request is found after it";
    EXPECT_EQ(reply[0], 0xB0);
    EXPECT_EQ(unit->requestsSeen(), 2u);
}

TEST_F(PtyUnitTest, SplitReplyArrivesInTwoParts)
{
    start(unpaced({.splitEvery = 1}));
    ASSERT_TRUE(port->send(request(0x30)));
    const auto first = port->receive(link::kFrameSize, 30ms);
    ASSERT_FALSE(first.empty());
    ASSERT_LT(first.size(), link::kFrameSize) << "no pause between the parts";
    const auto firstAt = port->lastAt();

    const auto rest = port->receive(link::kFrameSize - first.size(), 5ms);
    ASSERT_EQ(first.size() + rest.size(), link::kFrameSize);
    EXPECT_GE(port->lastAt() - firstAt, 50ms);
    std::vector<std::uint8_t> whole = first;
    whole.insert(whole.end(), rest.begin(), rest.end());
    EXPECT_TRUE(link::frameValid(whole));
}

TEST_F(PtyUnitTest, GoesSilentThenCanBeReconfiguredWhileRunning)
{
    start(unpaced({.silentAfter = 1}));
    EXPECT_EQ(exchange(request(0x30)).size(), link::kFrameSize);
    ASSERT_TRUE(port->send(request(0x30)));
    EXPECT_TRUE(unit->waitForRequests(2, 2s));
    EXPECT_TRUE(port->receive(1, 150ms, 150ms).empty());

    unit->setFaultPlan(unpaced());
    IdentityBlock id;
    id.name = "XYZ";
    unit->setIdentity(id);
    EXPECT_EQ(exchange(request(0x40)).at(1 + layout::id::kName), 'X');
    DeviceImage image = unit->image();
    image[layout::kJetIap] = 0xEE;
    unit->setImage(image);
    EXPECT_EQ(exchange(request(0x45)).at(1), 0xEE);
}

TEST_F(PtyUnitTest, HangUpEndsTheLineAfterTheLastReply)
{
    start(unpaced({.hangupAfter = 1}));
    EXPECT_EQ(exchange(request(0x30)).size(), link::kFrameSize);
    EXPECT_TRUE(port->receive(1).empty());
    EXPECT_TRUE(port->sawHangUp());

    const auto end = std::chrono::steady_clock::now() + 2s;
    while (unit->running() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(unit->running());
    EXPECT_TRUE(unit->hungUp());
}

TEST_F(PtyUnitTest, OutlivesThePcClosingAndReopeningThePort)
{
    start(unpaced());
    EXPECT_EQ(exchange(request(0x30)).size(), link::kFrameSize);
    port.reset();
    // A unit that took the close for a hang-up would end its loop at once; give it the time
    // one pass of that loop takes, and stop looking as soon as it has gone.
    const auto end = std::chrono::steady_clock::now() + 20ms;
    while (unit->running() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(1ms);
    ASSERT_TRUE(unit->running());
    openPort();
    EXPECT_EQ(exchange(request(0x30)).size(), link::kFrameSize);
}

TEST_F(PtyUnitTest, StopInterruptsALongPause)
{
    start(unpaced({.splitEvery = 1, .splitPause = 5s}));
    ASSERT_TRUE(port->send(request(0x30)));
    ASSERT_FALSE(port->receive(link::kFrameSize, 30ms).empty());

    const auto begin = std::chrono::steady_clock::now();
    unit->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 500ms);
    EXPECT_FALSE(unit->running());
    EXPECT_FALSE(unit->hungUp()) << "stopping is not a planned hang-up";
    unit->stop();
}

} // namespace
} // namespace velmora::sim
