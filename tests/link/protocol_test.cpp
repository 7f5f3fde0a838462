// The whole protocol against the simulated unit's responder, ticks driven by hand.
#include "link_fixture.h"

#include "model/identity.h"
#include "sim/block_store.h"
#include "sim/responder.h"

using namespace velmora;
using namespace velmora::layout;
using velmora::link::TransferMode;

namespace {

class ProtocolTest : public velmora::test::LinkTest {
protected:
    ProtocolTest()
    {
        image = sim::BlockStore::defaultImage(); // the window and the unit start alike
        port.answer = [this](const link::Frame &request) {
            if (mute)
                return;
            if (auto reply = unit.answer(request, sim::Clock::now()))
                port.push(*reply);
        };
    }
    // Ticks until the link is idle again; returns how many it took.
    int runToIdle(int limit = 200)
    {
        int n = 0;
        while (link.transferMode() != TransferMode::Idle && n < limit) {
            link.tick();
            ++n;
        }
        return n;
    }
    std::vector<std::uint8_t> blockCommands() const
    {
        std::vector<std::uint8_t> out;
        for (std::uint8_t c : port.commands())
            if (c != link::kMonitorCommand)
                out.push_back(c);
        return out;
    }
    void unitIdentity(const sim::IdentityBlock &identity) { unit.store().setIdentity(identity); }

    sim::Responder unit;
    bool mute = false;
};

const std::vector<std::uint8_t> kProgramSequence{0x00, 0x01, 0x02, 0x03, 0x04, 0x05,
                                                 0x41, 0x42, 0x43, 0x44, 0x45};

} // namespace

TEST_F(ProtocolTest, ProgramWritesEveryBlockThenVerifies)
{
    image[kAdvance + 2] = 33;
    image[kJetIap + 77] = 140;
    image[101] = 9; // a reserved byte travels with its block
    link.MenuProgramClick();
    EXPECT_EQ(view.takeOvers, 1);
    EXPECT_EQ(view.message, "Program device:");
    EXPECT_EQ(view.gaugeValue, 0);

    EXPECT_EQ(runToIdle(), 11); // one tick per exchange
    EXPECT_EQ(blockCommands(), kProgramSequence);
    // The idle part of the tick that accepted the last block already reports the finished pass.
    EXPECT_EQ(view.history, (std::vector<std::string>{"Program device:", "Verify device:",
                                                      "Verify OK", "Program device: OK"}));
    EXPECT_EQ(view.gaugeValue, 5);
    EXPECT_FALSE(view.messageError);
    EXPECT_TRUE(view.boxes.empty());
    for (std::size_t b = 1; b <= 5; ++b)
        EXPECT_TRUE(
            std::equal(image.block(b).begin(), image.block(b).end(), unit.store().block(b).begin()))
            << "block " << b;
    // Block 0 came from the unit.
    EXPECT_EQ(image[id::kCompatibilityMark], 43);
    EXPECT_TRUE(link.programDone());

    // Block 2 of the Program pass carried image bytes 200..299.
    const link::Frame &block2 = port.written[2];
    EXPECT_EQ(block2[0], 0x02);
    EXPECT_TRUE(std::equal(block2.begin() + 1, block2.begin() + 101, image.block(2).begin()));

    // Idle ticks: the unit saves, then the program-done line.
    bool sawSaving = false;
    for (int t = 0; t < 60; ++t) {
        link.tick();
        sawSaving = sawSaving || view.message == "Saving:";
    }
    EXPECT_TRUE(sawSaving);
    EXPECT_EQ(view.message, "Program device: OK");
    EXPECT_EQ(view.gaugeValue, 5);
}

TEST_F(ProtocolTest, ReadFetchesTheUnitThenVerifiesIt)
{
    DeviceImage unitImage = unit.store().image();
    unitImage[kAdvance + 1] = 21;
    unitImage[kJetTpi + 5] = 180;
    unitImage[290] = 7; // reserved
    unit.store().setImage(unitImage);
    view.lang = 2;

    link.MenuReadClick();
    EXPECT_EQ(view.message, "Lesen:");
    EXPECT_EQ(view.fileCleared, 1);
    EXPECT_EQ(runToIdle(), 11);
    EXPECT_EQ(blockCommands(), (std::vector<std::uint8_t>{0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x41,
                                                          0x42, 0x43, 0x44, 0x45}));
    for (std::size_t i = 0; i < 6; ++i)
        for (std::size_t k = 1; k <= 100; ++k)
            ASSERT_EQ(port.written[i][k], 0) << "read request " << i << " carries data";
    EXPECT_EQ(image, unitImage);
    EXPECT_EQ(view.message, "Vergleich OK");
    EXPECT_EQ(view.shows, 1);
}

TEST_F(ProtocolTest, ReadOfValuesThePassAltersEndsInVerifyError)
{
    DeviceImage unitImage = unit.store().image();
    unitImage[kStartJet] = 60; // the pass caps it at 50
    unit.store().setImage(unitImage);
    link.MenuReadClick();
    runToIdle();
    EXPECT_EQ(view.message, "Verify error!");
    EXPECT_TRUE(view.messageError);
    EXPECT_EQ(image[kStartJet], 50);
    // Blocks 2..5 were never reached: block 1 was sent five times.
    const auto commands = blockCommands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x41), 6); // once read, five verifies
}

TEST_F(ProtocolTest, ReadWithoutVerifyTakesTheSixBlocksAndStopsIdle)
{
    DeviceImage unitImage = unit.store().image();
    unitImage[kBike] = 2;
    unitImage[kStartJet] = 60; // the pass caps it at 50, which a verify pass would then fail on
    unitImage[kJetTpi + 5] = 180;
    unit.store().setImage(unitImage);

    link.readWithoutVerify();
    EXPECT_TRUE(view.endings.empty());
    EXPECT_EQ(view.message, "Read device:");
    EXPECT_EQ(runToIdle(), 6);
    EXPECT_EQ(blockCommands(), (std::vector<std::uint8_t>{0x40, 0x41, 0x42, 0x43, 0x44, 0x45}));
    const std::vector<test::FakeView::Ending> readOk{{link::Transaction::Read, link::Outcome::Ok}};
    EXPECT_EQ(view.endings, readOk);
    DeviceImage expected = unitImage;
    consistencyPass(expected);
    EXPECT_EQ(image, expected);
    EXPECT_EQ(view.shows, 1);
    EXPECT_EQ(view.message, "Read device:");
    EXPECT_FALSE(view.messageError);
    EXPECT_EQ(view.gaugeValue, link::Link::kGaugeMax);

    // Idle from then on: the monitor is polled and nothing else is asked of the unit.
    ticks(12);
    EXPECT_EQ(blockCommands().size(), 6u);
    EXPECT_EQ(view.monitorReplies, 2);
    EXPECT_EQ(view.endings, readOk);
}

TEST_F(ProtocolTest, ReadWithoutVerifyFailsLikeARead)
{
    sim::IdentityBlock identity;
    identity.readPermission = 0;
    unitIdentity(identity);
    link.readWithoutVerify();
    runToIdle();
    using Ending = test::FakeView::Ending;
    ASSERT_FALSE(view.endings.empty());
    EXPECT_EQ(view.endings.back(), Ending(link::Transaction::Read, link::Outcome::NoReading));
    EXPECT_EQ(view.message, "No Reading!");
    EXPECT_TRUE(view.messageError);

    unitIdentity(sim::IdentityBlock{});
    link.readWithoutVerify();
    runToIdle();
    ASSERT_EQ(view.endings.back(), Ending(link::Transaction::Read, link::Outcome::Ok));
    mute = true;
    link.readWithoutVerify();
    EXPECT_GT(runToIdle(), 18);
    EXPECT_EQ(view.endings.back(), Ending(link::Transaction::Read, link::Outcome::ReadError))
        << "a silent unit after a good read";
    EXPECT_EQ(view.message, "Read error!");
}

TEST_F(ProtocolTest, ARefusedReadAfterAProgramIsNotReportedAsTheProgramsSuccess)
{
    unit.setSavingStep(sim::Responder::kSavingStart); // saved at the first monitor reply
    link.MenuProgramClick();
    runToIdle();
    ticks(14);
    ASSERT_EQ(unit.savingCountdown(), 0);
    ASSERT_EQ(view.message, "Program device: OK");

    sim::IdentityBlock identity;
    identity.readPermission = 0;
    unitIdentity(identity);
    // The refusal ends the Read in the first tick after its request, before any Read tick.
    DeviceImage scratch;
    for (const auto start : {+[](link::Link &l, DeviceImage &) { l.MenuReadClick(); },
                             +[](link::Link &l, DeviceImage &s) { l.readInto(s); }}) {
        start(link, scratch);
        ticks(1);
        ASSERT_EQ(link.transferMode(), TransferMode::Idle);
        ticks(10);
        EXPECT_EQ(view.message, "No Reading!");
        EXPECT_TRUE(view.messageError);
        EXPECT_FALSE(link.programDone());
    }
}

TEST_F(ProtocolTest, ReadIntoAScratchImageTakesTheUnitAsItIsAndLeavesTheSetAlone)
{
    DeviceImage unitImage = unit.store().image();
    unitImage[kStartJet] = 60; // out of range: the pass would cap it at 50
    unitImage[290] = 7;        // reserved
    unit.store().setImage(unitImage);
    const DeviceImage before = image;

    DeviceImage scratch;
    link.readInto(scratch);
    EXPECT_EQ(view.message, "Read device:");
    EXPECT_EQ(runToIdle(), 6);
    EXPECT_EQ(blockCommands(), (std::vector<std::uint8_t>{0x40, 0x41, 0x42, 0x43, 0x44, 0x45}))
        << "no verify pass";
    using Ending = test::FakeView::Ending;
    EXPECT_EQ(view.endings,
              (std::vector<Ending>{{link::Transaction::ScratchRead, link::Outcome::Ok}}));
    EXPECT_EQ(scratch, unitImage);
    EXPECT_EQ(image, before);
    EXPECT_EQ(view.takeOvers + view.passes + view.shows + view.fileCleared, 0);
    EXPECT_FALSE(link.unitIdentity().version.empty()) << "the unit's identity still shows";

    // The next Read goes into the link's own image again, with its steps.
    link.MenuReadClick();
    runToIdle();
    EXPECT_EQ(view.endings.back(), Ending(link::Transaction::Read, link::Outcome::VerifyError));
    EXPECT_EQ(image[kStartJet], 50);
    EXPECT_EQ(view.shows, 1);
}

TEST_F(ProtocolTest, ReadIntoAScratchImageIsRefusedAndTimesOutAsAReadDoes)
{
    using Ending = test::FakeView::Ending;
    const DeviceImage before = image;
    sim::IdentityBlock identity;
    identity.readPermission = 0;
    unitIdentity(identity);
    DeviceImage scratch;
    link.readInto(scratch);
    runToIdle();
    EXPECT_EQ(view.endings.back(),
              Ending(link::Transaction::ScratchRead, link::Outcome::NoReading));
    EXPECT_EQ(view.message, "No Reading!");
    EXPECT_EQ(blockCommands().size(), 1u);

    unitIdentity(sim::IdentityBlock{});
    mute = true;
    link.readInto(scratch);
    runToIdle();
    EXPECT_EQ(view.endings.back(),
              Ending(link::Transaction::ScratchRead, link::Outcome::ReadError));
    EXPECT_EQ(view.message, "Read error!");
    EXPECT_EQ(image, before);
    EXPECT_EQ(view.passes + view.shows, 0);
}

TEST_F(ProtocolTest, VerifyAloneComparesBlocksOneToFive)
{
    link.MenuVerifyClick();
    EXPECT_EQ(runToIdle(), 5);
    EXPECT_EQ(view.message, "Verify OK");

    image[kJetTp + 3] = 1; // now the unit holds something else
    link.MenuVerifyClick();
    runToIdle();
    EXPECT_EQ(view.message, "Verify error!");
    EXPECT_EQ(view.gaugeValue, 3); // blocks 1 and 2 matched
}

TEST_F(ProtocolTest, UnitThatRefusesTheModelStopsAfterBlockZero)
{
    sim::IdentityBlock identity;
    identity.modelMap = {1 << 3};
    unitIdentity(identity);
    link.MenuProgramClick();
    runToIdle();
    EXPECT_EQ(blockCommands(), std::vector<std::uint8_t>{0x00});
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0], "These Ignition is not for this type of motorbikes!");
    EXPECT_EQ(view.gaugeValue, 0);
    EXPECT_NE(unit.store().image()[kAdvance], 0); // nothing written: the unit keeps its own

    image[kBike] = 3;
    link.MenuProgramClick();
    EXPECT_EQ(runToIdle(), 11);
}

TEST_F(ProtocolTest, UnitThatForbidsReadingShowsItsIdentity)
{
    sim::IdentityBlock identity;
    identity.readPermission = 0;
    identity.name = "QRS";
    identity.version = 12;
    unitIdentity(identity);
    const DeviceImage before = image;
    link.MenuReadClick();
    runToIdle();
    EXPECT_EQ(view.message, "No Reading!");
    EXPECT_TRUE(view.messageError);
    EXPECT_EQ(blockCommands(), std::vector<std::uint8_t>{0x40});
    EXPECT_EQ(DecodeUnitIdentity(image).version, "QRS12");
    EXPECT_TRUE(std::equal(before.parameters().begin(), before.parameters().end(),
                           image.parameters().begin()));
}

TEST_F(ProtocolTest, MismatchedUnitStopsReadAndProgramWithABox)
{
    sim::IdentityBlock identity;
    identity.compatibilityMark = 42;
    unitIdentity(identity);
    view.lang = 0;
    link.MenuReadClick();
    runToIdle();
    link.MenuProgramClick();
    runToIdle();
    EXPECT_EQ(blockCommands(), (std::vector<std::uint8_t>{0x40, 0x00}));
    ASSERT_EQ(view.boxes.size(), 2u);
    EXPECT_EQ(view.boxes[1], "Neshodné verze proramu v PC a zapalování!");
}

TEST_F(ProtocolTest, DroppedOrWrongRepliesAreRepeated)
{
    int replies = 0;
    port.answer = [&](const link::Frame &request) {
        auto reply = unit.answer(request, sim::Clock::now());
        if (!reply)
            return;
        ++replies;
        if (replies == 2)
            return; // lost on the line
        if (replies == 4)
            (*reply)[0] ^= 0x01; // answers the wrong command, check byte fixed below
        (*reply)[101] = link::checkByte(std::span<const std::uint8_t>(reply->data(), 101));
        port.push(*reply);
    };
    link.MenuProgramClick();
    const int used = runToIdle();
    EXPECT_EQ(view.message, "Program device: OK");
    EXPECT_EQ(blockCommands().size(), 13u); // two repeats
    EXPECT_GT(used, 11);
}

TEST_F(ProtocolTest, ProgramWhoseEchoDiffersFailsAfterFiveSends)
{
    // The unit stores block 2 but echoes one byte changed, check byte fixed up: only the
    // comparison on the PC can tell.
    port.answer = [&](const link::Frame &request) {
        auto reply = unit.answer(request, sim::Clock::now());
        if (!reply)
            return;
        if ((*reply)[0] == 0x82) {
            (*reply)[1 + 17] ^= 0x01;
            (*reply)[101] = link::checkByte(std::span<const std::uint8_t>(reply->data(), 101));
        }
        port.push(*reply);
    };
    image[kAdvance + 4] = 31;
    link.MenuProgramClick();
    const int used = runToIdle();

    const auto commands = blockCommands();
    EXPECT_EQ(commands, (std::vector<std::uint8_t>{0x00, 0x01, 0x02, 0x02, 0x02, 0x02, 0x02}));
    EXPECT_EQ(view.message, "Program error!");
    EXPECT_TRUE(view.messageError);
    EXPECT_FALSE(link.programDone());
    EXPECT_EQ(link.gauge(), 2); // blocks 0 and 1 got through
    EXPECT_TRUE(view.boxes.empty());
    // Four ticks after each send but the first, which the reply path sent within a tick.
    EXPECT_EQ(used, 2 + 4 * 4 + 3);
    // Nothing after the failure: idle ticks only poll the monitor.
    ticks(12);
    EXPECT_EQ(blockCommands().size(), commands.size());
    EXPECT_EQ(link.transferMode(), TransferMode::Idle);
}

TEST_F(ProtocolTest, MonitorReplyDuringATransactionDoesNotAdvanceIt)
{
    ticks(6); // the monitor request is answered into the queue
    EXPECT_EQ(port.incoming.size(), 102u);
    mute = true;
    link.MenuVerifyClick();
    ticks(1);
    EXPECT_EQ(view.monitorReplies, 1);
    EXPECT_EQ(link.commandByte(), 0x41);
    EXPECT_EQ(link.transferMode(), TransferMode::Verify);
}

TEST_F(ProtocolTest, TuningWriteIsAcknowledgedWhileIdle)
{
    image[kTpsMode] = 1; // coupled maps: block 4 follows block 3
    image[kJetTp + 12] = 111;
    image[kJetTpi + 12] = 131;
    link.startTuningWrite(3);
    ticks(1);
    EXPECT_EQ(blockCommands(), (std::vector<std::uint8_t>{0x03, 0x04}));
    EXPECT_TRUE(link.tuningWritePending());
    ticks(1);
    EXPECT_FALSE(link.tuningWritePending());
    EXPECT_EQ(view.message, "Program OK");
    EXPECT_EQ(view.gaugeValue, 1);
    EXPECT_EQ(unit.store().image()[kJetTpi + 12], 131);
    EXPECT_EQ(link.transferMode(), TransferMode::Idle);

    // Separate maps: block 3 alone; the gauge counts writes and wraps after its maximum.
    image[kTpsMode] = 0;
    for (int write = 2; write <= 6; ++write) {
        link.startTuningWrite(3);
        ticks(1);
    }
    EXPECT_EQ(view.gaugeValue, 0);
    const auto commands = port.commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x04), 1);

    // A reply that differs from the image is not an acknowledgement.
    unit.store().store(5, std::vector<std::uint8_t>(100, 1));
    mute = true;
    link.startTuningWrite(5);
    port.push(link::makeFrame(0x85, std::vector<std::uint8_t>(100, 1)));
    ticks(1);
    EXPECT_TRUE(link.tuningWritePending());
}

TEST_F(ProtocolTest, LateEchoAfterATransactionIsNoTuningAcknowledgement)
{
    link.MenuVerifyClick();
    ticks(6);
    ASSERT_EQ(view.message, "Verify OK");
    ASSERT_EQ(link.commandByte(), 0x45);
    const int gauge = view.gaugeValue;
    // The unit answers the last request a second time, late: same command, same block.
    const auto block = image.block(5);
    port.push(link::makeFrame(0xC5, std::vector<std::uint8_t>(block.begin(), block.end())));
    ticks(1);
    EXPECT_EQ(view.message, "Verify OK");
    EXPECT_EQ(view.gaugeValue, gauge);
    EXPECT_FALSE(link.tuningWritePending());
}

// Every way a transaction ends, as the link reports it beside the caption that shows it.
namespace {

using link::Outcome;
using link::Transaction;
using Ending = velmora::test::FakeView::Ending;

class OutcomeTest;

struct EndingCase {
    const char *name;
    void (*arrange)(OutcomeTest &); // sets the unit up and starts the command
    Ending ending;
    const char *caption;  // the message line at the end, in English
    const char *box = ""; // the message box it opened, if any
};

void PrintTo(const EndingCase &c, std::ostream *out)
{
    *out << c.name;
}

class OutcomeTest : public ProtocolTest, public ::testing::WithParamInterface<EndingCase> {
public:
    void program() { link.MenuProgramClick(); }
    void read() { link.MenuReadClick(); }
    void verify() { link.MenuVerifyClick(); }
    void readSet() { link.readWithoutVerify(); }
    void silence() { mute = true; }
    void differ() { image[kJetTp + 3] = 1; }
    void identity(void (*change)(sim::IdentityBlock &))
    {
        sim::IdentityBlock block;
        change(block);
        unitIdentity(block);
    }
    // Replies to block 2 come back with one byte changed, check byte fixed, after the first
    // `intact` of them: `replyCommand` picks the Program's write echo (0x82) or a stored block
    // (0xC2), which a Read takes and then verifies.
    void alterBlockTwo(std::uint8_t replyCommand, int intact = 0)
    {
        port.answer = [this, replyCommand, intact, seen = 0](const link::Frame &request) mutable {
            auto reply = unit.answer(request, sim::Clock::now());
            if (!reply)
                return;
            if ((*reply)[0] == replyCommand && ++seen > intact) {
                (*reply)[1 + 17] ^= 0x01;
                (*reply)[101] = link::checkByte(std::span<const std::uint8_t>(reply->data(), 101));
            }
            port.push(*reply);
        };
    }
};

const char *const kMismatchBox = "Unmatched version of PC and Ignition programs!";

const EndingCase kEndingCases[] = {
    {"Program",
     [](OutcomeTest &t) { t.program(); },
     {Transaction::Program, Outcome::Ok},
     "Program device: OK"},
    {"Read", [](OutcomeTest &t) { t.read(); }, {Transaction::Read, Outcome::Ok}, "Verify OK"},
    {"ReadWithoutVerify",
     [](OutcomeTest &t) { t.readSet(); },
     {Transaction::Read, Outcome::Ok},
     "Read device:"},
    {"Verify", [](OutcomeTest &t) { t.verify(); }, {Transaction::Verify, Outcome::Ok}, "Verify OK"},
    {"VerifyOfADifferingImage",
     [](OutcomeTest &t) {
         t.differ();
         t.verify();
     },
     {Transaction::Verify, Outcome::VerifyError},
     "Verify error!"},
    {"ReadOfASilentUnit",
     [](OutcomeTest &t) {
         t.silence();
         t.read();
     },
     {Transaction::Read, Outcome::ReadError},
     "Read error!"},
    {"ReadWhoseVerifyPassFails",
     [](OutcomeTest &t) {
         t.alterBlockTwo(0xC2, 1);
         t.read();
     },
     {Transaction::Read, Outcome::VerifyError},
     "Verify error!"},
    {"ProgramWhoseEchoDiffers",
     [](OutcomeTest &t) {
         t.alterBlockTwo(0x82);
         t.program();
     },
     {Transaction::Program, Outcome::ProgramError},
     "Program error!"},
    {"ProgramWhoseVerifyPassFails",
     [](OutcomeTest &t) {
         t.alterBlockTwo(0xC2);
         t.program();
     },
     {Transaction::Program, Outcome::VerifyError},
     "Verify error!"},
    {"ReadForbidden",
     [](OutcomeTest &t) {
         t.identity([](sim::IdentityBlock &b) { b.readPermission = 0; });
         t.read();
     },
     {Transaction::Read, Outcome::NoReading},
     "No Reading!"},
    {"ReadOfAMismatchedUnit",
     [](OutcomeTest &t) {
         t.identity([](sim::IdentityBlock &b) { b.compatibilityMark = 42; });
         t.read();
     },
     {Transaction::Read, Outcome::VersionMismatch},
     "Read device:",
     kMismatchBox},
    {"ProgramOfAMismatchedUnit",
     [](OutcomeTest &t) {
         t.identity([](sim::IdentityBlock &b) { b.compatibilityMark = 42; });
         t.program();
     },
     {Transaction::Program, Outcome::VersionMismatch},
     "Program device:",
     kMismatchBox},
    {"ProgramRefusedForTheModel",
     [](OutcomeTest &t) {
         t.identity([](sim::IdentityBlock &b) { b.modelMap = {1 << 3}; });
         t.program();
     },
     {Transaction::Program, Outcome::ModelRefused},
     "Program device:",
     "These Ignition is not for this type of motorbikes!"},
};

} // namespace

TEST_P(OutcomeTest, EndsOnceWithItsOutcomeBesideItsCaption)
{
    const EndingCase &c = GetParam();
    c.arrange(*this);
    EXPECT_TRUE(view.endings.empty()) << "ended before any reply";
    runToIdle();
    EXPECT_EQ(view.endings, std::vector<Ending>{c.ending});
    EXPECT_EQ(view.message, c.caption);
    EXPECT_EQ(view.boxes.empty() ? std::string() : view.boxes.back(), c.box);
    ticks(30); // idle ticks after the end report nothing more
    EXPECT_EQ(view.endings.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Paths, OutcomeTest, ::testing::ValuesIn(kEndingCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProtocolTest, CommandThatReplacesARunningTransactionCancelsIt)
{
    using link::Outcome;
    using link::Transaction;
    using Ending = velmora::test::FakeView::Ending;
    link.MenuReadClick();
    ticks(2);
    link.MenuVerifyClick(); // the Read is in its third block
    runToIdle();
    EXPECT_EQ(view.endings, (std::vector<Ending>{{Transaction::Read, Outcome::Cancelled},
                                                 {Transaction::Verify, Outcome::Ok}}));
    EXPECT_EQ(view.message, "Verify OK");

    // A Read in its verify pass is still the Read; the program-after-change check replaces it.
    view.endings.clear();
    link.MenuReadClick();
    ticks(7);
    ASSERT_EQ(link.transferMode(), TransferMode::Verify);
    view.progHned = true;
    link.ProgramAfterChange();
    EXPECT_EQ(view.endings, (std::vector<Ending>{{Transaction::Read, Outcome::Cancelled}}));
    runToIdle();
    EXPECT_EQ(view.endings.back(), (Ending{Transaction::Program, Outcome::Ok}));

    // A command given while idle cancels nothing.
    view.endings.clear();
    link.MenuVerifyClick();
    runToIdle();
    EXPECT_EQ(view.endings, (std::vector<Ending>{{Transaction::Verify, Outcome::Ok}}));
}
