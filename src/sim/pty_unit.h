#pragma once

#include "block_store.h"
#include "engine.h"
#include "fault_injector.h"
#include "fault_plan.h"
#include "file_descriptor.h"
#include "frame_assembler.h"
#include "responder.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace velmora::sim {

// The simulated unit on a pseudo-terminal. The PC side opens slavePath() like any serial port;
// the unit reads requests from the master side and answers them on its own thread from the
// moment it is constructed until stop(), destruction or a planned hang-up.
//
// Every accessor may be called from any thread while the unit runs.
class PtyUnit {
public:
    static constexpr std::size_t kPaceChunk = 17; // bytes written per paced step
    // A hang-up waits this long at most for the PC to take the last reply.
    static constexpr std::chrono::milliseconds kHangUpLinger{1000};

    // Throws std::system_error when no pseudo-terminal can be had.
    explicit PtyUnit(BlockStore store = BlockStore{}, FaultPlan plan = {}, Engine engine = {});
    ~PtyUnit();

    PtyUnit(const PtyUnit &) = delete;
    PtyUnit &operator=(const PtyUnit &) = delete;

    const std::string &slavePath() const { return m_slavePath; }

    // Ends the loop, interrupting any pause or paced write; returns once the thread is gone.
    // Call it from the owning thread only.
    void stop();
    bool running() const;
    bool hungUp() const;

    DeviceImage image() const;
    void setImage(const DeviceImage &image);
    void setIdentity(const IdentityBlock &identity);
    FaultPlan faultPlan() const;
    void setFaultPlan(const FaultPlan &plan);
    // What the next monitor reply will carry.
    LiveState live() const;
    // Pins the monitor to fixed values until the engine is changed or followed again.
    void setLive(const LiveState &live);
    void setSavingStep(std::uint16_t step);

    // The engine behind the monitor; it moves on with the time between requests. Each setter
    // hands the monitor back to the engine after setLive().
    Engine engine() const;
    void setEngine(const Engine &engine);
    void followEngine();
    OperatingPoint operatingPoint() const;
    void setOperatingPoint(const OperatingPoint &point); // held until changed
    void setSchedule(const EngineSchedule &schedule);
    double requirement(FuelMap map, std::size_t cell) const;
    bool setRequirement(FuelMap map, std::size_t cell, double percent);
    void resetRequirements();
    UnitFaults unitFaults() const;
    void setUnitFaults(const UnitFaults &faults);
    void setLambdaNoise(double amplitudeMv, std::uint64_t seed);
    void setTpLambdaMap(FuelMap map);

    ResponderCounters counters() const;
    std::vector<ReceivedFrame> frameLog() const;
    std::size_t requestsSeen() const;   // answered or not
    std::size_t discardedBytes() const; // bytes that never became part of a request

    // Blocks until `count` requests have been taken in (answered or not) or the time is up.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const;

private:
    void openTerminal();
    void run();
    bool serve(const AssembledFrame &frame);
    bool transmit(const Transmission &tx, Clock::time_point requestStart, const FaultPlan &plan);
    bool writeAll(std::span<const std::uint8_t> bytes);
    bool sleepUntil(Clock::time_point deadline);
    void hangUpLine();
    void finish(bool hungUp);
    template <typename Change> auto changeEngine(Change change);

    FileDescriptor m_master;
    // Held for the unit's whole life: with no slave descriptor open the master reads EIO
    // as soon as the PC closes its port, and the loop would end.
    FileDescriptor m_slave;
    FileDescriptor m_wakeRead;
    FileDescriptor m_wakeWrite;
    std::string m_slavePath;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    Responder m_responder;
    FaultInjector m_injector;
    FrameAssembler m_assembler;
    std::size_t m_requestsSeen = 0;
    bool m_running = true;
    bool m_hungUp = false;

    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

} // namespace velmora::sim
