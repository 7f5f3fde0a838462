// The link as the window runs it: a 55 ms timer in an event loop, against a unit that answers at
// the speed of a real line and misbehaves for the first seconds.
#include "soak_support.h"

#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <iostream>
#include <random>

namespace velmora::soak {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kFaultyTime = 4000ms;
// Only a run that has gone wrong gets near this.
constexpr auto kDeadline = 30s;
constexpr int kIdleTicksBetween = 8; // time for a monitor poll

TEST(TimerSoak, RealTicksThroughAFaultyLineEndInAProgramAndAVerify)
{
    sim::FaultPlan faulty; // paced
    faulty.dropEvery = 9;
    faulty.corruptEvery = 11;
    faulty.wrongCommandEvery = 17;
    faulty.splitEvery = 7; // with the default pause the second part misses a tick
    faulty.strayBytes = 3;
    faulty.strayEvery = 13;
    sim::PtyUnit unit(sim::BlockStore{}, faulty);

    DeviceImage image = unit.image();
    SoakView view(image);
    link::QtSerialPort port;
    ASSERT_TRUE(port.open(QString::fromStdString(unit.slavePath())));
    link::Link link(image, view);
    link.setPort(&port);
    TransactionWatch watch(link, view, image);
    UnitModel model(image);
    std::minstd_rand rng(5);

    enum class Phase { Faulty, Program, Verify, Done };
    Phase phase = Phase::Faulty;
    int ticks = 0;
    int idleTicks = 0;
    int faultyStarted = 0;
    std::size_t faultyRequests = 0;
    bool programOk = false;
    bool verifyOk = false;

    QEventLoop loop;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(55);
    const auto began = Clock::now();
    auto start = [&](Kind kind) {
        if (kind == Kind::Program)
            editParameters(image, rng);
        watch.start(kind);
        if (kind == Kind::Program)
            model.programStarted(watch.written());
    };
    QObject::connect(&timer, &QTimer::timeout, [&] {
        watch.beforeTick();
        link.tick();
        ++ticks;
        const DeviceImage memory = unit.image();
        const std::optional<Ending> ending = watch.afterTick(memory);
        if (ending && ending->kind == Kind::Program && ending->success)
            model.programFinished(ending->written);
        if (ending) {
            EXPECT_EQ(model.strangeBlocks(memory), "none")
                << "the unit holds bytes that no Program sent";
        }
        if (watch.running())
            return;
        switch (phase) {
        case Phase::Faulty:
            if (Clock::now() - began < kFaultyTime) {
                if (++idleTicks >= kIdleTicksBetween) {
                    idleTicks = 0;
                    start(std::array{Kind::Program, Kind::Verify, Kind::Read}[faultyStarted++ % 3]);
                }
                return;
            }
            faultyRequests = unit.requestsSeen();
            unit.setFaultPlan({});
            start(Kind::Program);
            phase = Phase::Program;
            return;
        case Phase::Program:
            programOk = ending && ending->kind == Kind::Program && ending->success;
            if (!programOk) {
                loop.quit();
                return;
            }
            start(Kind::Verify);
            phase = Phase::Verify;
            return;
        case Phase::Verify:
            verifyOk = ending && ending->kind == Kind::Verify && ending->success;
            phase = Phase::Done;
            loop.quit();
            return;
        case Phase::Done:
            return;
        }
    });
    QTimer::singleShot(kDeadline, &loop, &QEventLoop::quit);
    timer.start();
    loop.exec();
    timer.stop();
    const auto elapsed = Clock::now() - began;

    EXPECT_EQ(phase, Phase::Done) << "the run did not reach its end in time";
    EXPECT_TRUE(programOk) << "the Program after the faults failed: " << view.message();
    EXPECT_TRUE(verifyOk) << "the Verify after it failed: " << view.message();
    const DeviceImage memory = unit.image();
    EXPECT_TRUE(sameParameters(memory, image)) << differingBlocks(memory, image);
    EXPECT_TRUE(sameParameters(memory, model.lastProgrammed()));
    EXPECT_GT(view.monitorCount(), 0);

    FaultTally faults;
    const std::vector<sim::ReceivedFrame> log = unit.frameLog();
    faults.add(faulty, std::span(log).first(std::min(faultyRequests, log.size())));
    std::cout << "[timer soak] " << ticks << " ticks in "
              << std::chrono::duration<double>(elapsed).count() << " s, " << faultyStarted
              << " transactions under faults\n";
    for (Kind kind : {Kind::Read, Kind::Verify, Kind::Program}) {
        const KindCounts &c = watch.counts(kind);
        std::cout << "[timer soak] " << kKindNames[static_cast<std::size_t>(kind)] << ": started "
                  << c.started << ", succeeded " << c.succeeded << ", failed " << c.failed << '\n';
    }
    std::cout << "[timer soak] faults injected: " << faults.summary() << '\n';
    std::cout << "[timer soak] monitor replies shown " << view.monitorCount() << std::endl;
}

} // namespace
} // namespace velmora::soak
