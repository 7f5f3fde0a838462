#pragma once

#include "block_store.h"
#include "engine.h"
#include "link/frame.h"
#include "live_state.h"

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace velmora::sim {

using Clock = std::chrono::steady_clock;

// True for the commands the unit answers: store or send block 0..5, and the monitor request.
bool knownCommand(std::uint8_t command);

// One request as the unit took it in.
struct ReceivedFrame {
    Clock::time_point at;
    link::Frame bytes;
    bool answered = false;
};

struct ResponderCounters {
    std::array<std::size_t, 256> perCommand{}; // well-formed requests, by command byte
    std::size_t replies = 0;
    std::size_t badCheck = 0; // requests dropped for their check byte
    std::size_t unknown = 0;  // well-formed requests the unit has no answer for
};

// The unit's side of one exchange: request in, reply (or silence) out. It touches nothing but
// its own store and bookkeeping, so every answer can be checked without a line.
class Responder {
public:
    static constexpr std::uint16_t kSavingStart = 503;
    static constexpr std::uint16_t kDefaultSavingStep = 100;
    static constexpr std::size_t kLogLimit = 4096;

    explicit Responder(BlockStore store = BlockStore{}, Engine engine = Engine{});

    // The time of each request drives the engine: it moves on by the time since the request
    // before.
    std::optional<link::Frame> answer(const link::Frame &request, Clock::time_point at);

    BlockStore &store() { return m_store; }
    const BlockStore &store() const { return m_store; }

    // The monitor reports what the engine does with the stored image at the time of the request.
    Engine &engine() { return m_engine; }
    const Engine &engine() const { return m_engine; }

    // Pins the monitor to fixed values until followEngine(). The saving countdown and the
    // programming cycles in them are ignored: the unit keeps those itself.
    void setLive(const LiveState &live) { m_pinned = live; }
    void followEngine() { m_pinned.reset(); }
    bool livePinned() const { return m_pinned.has_value(); }
    // What the next monitor reply will carry.
    LiveState live() const;

    // How far the countdown falls per monitor reply; at one request every 330 ms the default
    // runs out in about 1.7 s.
    void setSavingStep(std::uint16_t step) { m_savingStep = step; }
    std::uint16_t savingCountdown() const { return m_savingCountdown; }
    std::uint16_t programmingCycles() const { return m_programmingCycles; }

    const ResponderCounters &counters() const { return m_counters; }
    // The newest kLogLimit requests, oldest first.
    const std::deque<ReceivedFrame> &log() const { return m_log; }

private:
    std::optional<link::Frame> reply(const link::Frame &request);
    link::Frame blockReply(std::uint8_t command, std::size_t block) const;
    link::Frame monitorReply();
    void passTime(Clock::time_point at);
    LiveState withBookkeeping(LiveState live) const;

    BlockStore m_store;
    Engine m_engine;
    std::optional<LiveState> m_pinned;
    std::optional<Clock::time_point> m_lastRequestAt;
    std::uint16_t m_savingStep = kDefaultSavingStep;
    std::uint16_t m_savingCountdown = 0;
    std::uint16_t m_programmingCycles = 0;
    ResponderCounters m_counters;
    std::deque<ReceivedFrame> m_log;
};

} // namespace velmora::sim
