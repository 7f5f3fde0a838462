#include "link_fixture.h"

#include "model/identity.h"

using namespace velmora;
using namespace velmora::layout;
using velmora::link::TransferMode;
using velmora::test::LinkTest;

TEST_F(LinkTest, MonitorRequestEverySixthIdleTick)
{
    ticks(5);
    EXPECT_TRUE(port.written.empty());
    ticks(1);
    ASSERT_EQ(port.written.size(), 1u);
    const link::Frame &request = port.written[0];
    EXPECT_EQ(request[0], 0x30);
    for (std::size_t i = 1; i <= 100; ++i)
        ASSERT_EQ(request[i], 0);
    EXPECT_EQ(request[101], 0xCF);
    ticks(12);
    EXPECT_EQ(port.written.size(), 3u);
}

TEST_F(LinkTest, NoConnectionFromThe18thSilentTick)
{
    ticks(18);
    EXPECT_FALSE(view.noConnection);
    ticks(1);
    EXPECT_TRUE(view.noConnection);

    // A valid reply with the wrong command is still a sign of life; a bad check byte is not.
    link::Frame wrong = reply(0x99);
    port.push(wrong);
    ticks(1);
    EXPECT_FALSE(view.noConnection);
    EXPECT_EQ(link.noReplyTicks(), 1);

    ticks(20);
    EXPECT_TRUE(view.noConnection);
    link::Frame bad = reply(0x80);
    bad[101] ^= 1;
    port.push(bad);
    ticks(1);
    EXPECT_TRUE(view.noConnection);
    EXPECT_EQ(link.noReplyTicks(), 18);

    link::Frame monitor = reply(0xB0);
    port.push(monitor);
    ticks(1);
    EXPECT_FALSE(view.noConnection);
    EXPECT_EQ(view.monitorReplies, 1);
}

TEST_F(LinkTest, ReadComPortWaitsForAWholeReplyAndDropsTheRest)
{
    const link::Frame monitor = reply(0xB0);
    port.incoming.assign(monitor.begin(), monitor.begin() + 101);
    link.ReadComPort();
    EXPECT_EQ(port.incoming.size(), 101u);
    EXPECT_EQ(view.monitorReplies, 0);
    port.incoming.push_back(monitor[101]);
    link.ReadComPort();
    EXPECT_TRUE(port.incoming.empty());
    EXPECT_EQ(view.monitorReplies, 1);

    // 250 bytes: all read, only the first reply looked at.
    port.push(monitor);
    port.push(monitor);
    port.incoming.insert(port.incoming.end(), 46, 0x55);
    link.ReadComPort();
    EXPECT_TRUE(port.incoming.empty());
    EXPECT_EQ(view.monitorReplies, 2);

    // More than 1024 waiting: exactly 1000 read, the rest stays queued.
    port.incoming.assign(1025, 0x11);
    link.ReadComPort();
    EXPECT_EQ(port.incoming.size(), 25u);

    // Stray bytes in front of a reply cost that reply.
    port.incoming.assign(3, 0x00);
    port.push(monitor);
    link.ReadComPort();
    EXPECT_EQ(view.monitorReplies, 2);
    EXPECT_TRUE(port.incoming.empty());
}

TEST_F(LinkTest, UnansweredBlockIsSentFiveTimesThenTimesOut)
{
    link.MenuReadClick();
    EXPECT_EQ(view.message, "Read device:");
    EXPECT_TRUE(view.messageVisible);
    EXPECT_EQ(view.fileCleared, 1);
    for (int t = 0; t < 30; ++t)
        link.tick();
    const auto commands = port.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x40), 5);
    EXPECT_EQ(link.transferMode(), TransferMode::Idle);
    EXPECT_EQ(view.message, "Read error!");
    EXPECT_TRUE(view.messageError);
    // No monitor request went out while the transaction ran.
    std::size_t firstMonitor = 0;
    while (firstMonitor < commands.size() && commands[firstMonitor] != 0x30)
        ++firstMonitor;
    EXPECT_EQ(firstMonitor, 5u);
}

TEST_F(LinkTest, ResendSpacingCountsTheTicks)
{
    link.MenuVerifyClick(); // send 1 at tick count 0
    EXPECT_EQ(view.gaugeValue, 1);
    std::vector<int> sendTicks;
    for (int t = 1; t <= 25; ++t) {
        const std::size_t before = port.written.size();
        link.tick();
        if (port.written.size() > before && port.written.back()[0] == 0x41)
            sendTicks.push_back(t);
    }
    EXPECT_EQ(sendTicks, (std::vector<int>{4, 8, 12, 16}));
    EXPECT_EQ(view.message, "Verify error!");
}

TEST_F(LinkTest, MessageLineTimesOutAfter200Ticks)
{
    view.lang = 0;
    link.MenuVerifyClick();
    EXPECT_EQ(view.message, "Verifikace:");
    // The fifth expiry, at the 20th tick, sets the 200 ticks again.
    ticks(218);
    EXPECT_TRUE(view.messageVisible);
    ticks(1);
    EXPECT_FALSE(view.messageVisible);
    EXPECT_FALSE(view.gaugeVisible);
    EXPECT_EQ(view.message, "Chyba verifikace!");
}

TEST_F(LinkTest, ProgramAfterChangeArmsAndWatchesTheParameters)
{
    link.ProgramAfterChange();
    EXPECT_EQ(link.transferMode(), TransferMode::Idle);

    view.progHned = true;
    link.ProgramAfterChange(); // ticking the box programs at once, changed or not
    EXPECT_EQ(link.transferMode(), TransferMode::Program);
    EXPECT_EQ(link.commandByte(), 0x00);
    EXPECT_TRUE(port.written.empty()); // the tick sends it
    EXPECT_EQ(view.message, "Program device:");

    // First send from the tick, counted as the second.
    int sentAt = 0;
    for (int t = 1; t <= 4 && sentAt == 0; ++t) {
        link.tick();
        if (!port.written.empty())
            sentAt = t;
    }
    EXPECT_GT(sentAt, 0);
    EXPECT_EQ(link.retryCount(), 2);
    ASSERT_EQ(port.written.size(), 1u);
    EXPECT_EQ(port.written[0][0], 0x00);

    // Back to idle by a time-out; no change means no new pass.
    ticks(40);
    ASSERT_EQ(link.transferMode(), TransferMode::Idle);
    link.ProgramAfterChange();
    EXPECT_EQ(link.transferMode(), TransferMode::Idle);
    // The identity block is the unit's, not a parameter: a new one is no reason to program.
    image[id::kVersion] ^= 0xFF;
    image[id::kModelMap] ^= 0xFF;
    link.ProgramAfterChange();
    EXPECT_EQ(link.transferMode(), TransferMode::Idle);
    image[kJetIap + 42] = 77;
    link.ProgramAfterChange();
    EXPECT_EQ(link.transferMode(), TransferMode::Program);

    // Unticking disarms; the next ticking programs again.
    ticks(40);
    view.progHned = false;
    link.ProgramAfterChange();
    view.progHned = true;
    link.ProgramAfterChange();
    EXPECT_EQ(link.transferMode(), TransferMode::Program);
}

TEST_F(LinkTest, SavingCountdownDrivesTheGauge)
{
    auto monitorWithCountdown = [](std::uint16_t countdown) {
        std::array<std::uint8_t, 100> data{};
        data[94] = static_cast<std::uint8_t>(countdown & 0xFF); // reply bytes 95-96
        data[95] = static_cast<std::uint8_t>(countdown >> 8);
        return link::makeFrame(0xB0, data);
    };
    port.push(monitorWithCountdown(1));
    ticks(1);
    EXPECT_EQ(view.message, "Saving:");
    EXPECT_EQ(view.gaugeValue, 4);
    port.push(monitorWithCountdown(503));
    ticks(1);
    EXPECT_EQ(view.gaugeValue, 0);
    port.push(monitorWithCountdown(60000));
    ticks(1);
    EXPECT_EQ(view.gaugeValue, 0);
    EXPECT_EQ(link.messageTimer(), 199);
}

TEST_F(LinkTest, LiveValuesComeFromAValidMonitorReply)
{
    std::array<std::uint8_t, 100> data{};
    data[0] = 0xB0; // speed 0x04B0 = 1200 rpm at reply bytes 1-2
    data[1] = 0x04;
    data[10] = 0x70; // lambda count 0x0170 = 368 -> 449 mV at bytes 11-12
    data[11] = 0x01;
    data[58] = 1; // map hold, byte 59
    port.push(link::makeFrame(0xB0, data));
    ticks(1);
    EXPECT_EQ(link.live().speed, 1200);
    EXPECT_EQ(link.live().lambdaMv, 368 * 5000 / 4092);
    EXPECT_EQ(link.live().mapHold, 1);
    EXPECT_TRUE(link.live().fresh);
    // The sample shown beside the texts, with the cells the reply puts the engine in.
    EXPECT_EQ(view.display.sample.rpm, 1200);
    EXPECT_EQ(view.display.sample.lambdaMv, 368 * 5000 / 4092);
    EXPECT_TRUE(view.display.sample.mapHold);
    EXPECT_EQ(view.display.sample.cells, link::livePoints(image, link.live()));
    EXPECT_NE(view.display.sample.cells, link::LivePoints{}) << "1200 rpm lies on the axes";
}
