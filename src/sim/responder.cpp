#include "responder.h"

#include "monitor_reply.h"

namespace velmora::sim {

namespace {

constexpr std::size_t kLastBlock = layout::kBlockCount - 1;

} // namespace

bool knownCommand(std::uint8_t command)
{
    if (command == link::kMonitorCommand)
        return true;
    return (command & ~(link::kStoredBit | link::kBlockMask)) == 0 &&
           (command & link::kBlockMask) <= kLastBlock;
}

Responder::Responder(BlockStore store, Engine engine)
    : m_store(std::move(store)), m_engine(std::move(engine))
{}

LiveState Responder::withBookkeeping(LiveState live) const
{
    live.savingCountdown = m_savingCountdown;
    live.programmingCycles = m_programmingCycles;
    return live;
}

LiveState Responder::live() const
{
    return withBookkeeping(m_pinned ? *m_pinned : m_engine.state(m_store.image()));
}

void Responder::passTime(Clock::time_point at)
{
    if (!m_lastRequestAt) {
        m_lastRequestAt = at;
        return;
    }
    // A request stamped no later than the one before (a test reusing one time) stops the clock
    // rather than running it backwards.
    if (at <= *m_lastRequestAt)
        return;
    // Only whole microseconds move on, so the remainders add up rather than get lost.
    const auto dt = std::chrono::duration_cast<EngineTime>(at - *m_lastRequestAt);
    m_engine.advance(dt);
    *m_lastRequestAt += dt;
}

std::optional<link::Frame> Responder::answer(const link::Frame &request, Clock::time_point at)
{
    passTime(at);
    std::optional<link::Frame> out;
    if (!link::frameValid(request)) {
        ++m_counters.badCheck;
    } else {
        ++m_counters.perCommand[request[0]];
        out = reply(request);
        if (out)
            ++m_counters.replies;
        else
            ++m_counters.unknown;
    }

    if (m_log.size() == kLogLimit)
        m_log.pop_front();
    m_log.push_back({at, request, out.has_value()});
    return out;
}

std::optional<link::Frame> Responder::reply(const link::Frame &request)
{
    const std::uint8_t command = request[0];
    if (!knownCommand(command))
        return std::nullopt;
    if (command == link::kMonitorCommand)
        return monitorReply();

    const std::size_t block = command & link::kBlockMask;
    if (!(command & link::kStoredBit) && block != 0) {
        m_store.store(block, std::span<const std::uint8_t>(request).subspan(1, link::kFrameData));
        // Block 5 closes a Program pass: the unit now writes its memory, which the monitor
        // shows as the saving countdown.
        if (block == kLastBlock) {
            m_savingCountdown = kSavingStart;
            ++m_programmingCycles;
        }
    }
    return blockReply(command, block);
}

link::Frame Responder::blockReply(std::uint8_t command, std::size_t block) const
{
    return link::makeFrame(command ^ link::kReplyBit, m_store.block(block));
}

link::Frame Responder::monitorReply()
{
    const LiveState live = m_pinned ? *m_pinned : m_engine.sample(m_store.image());
    const link::Frame f = buildMonitorReply(withBookkeeping(live));
    m_savingCountdown = m_savingCountdown > m_savingStep
                            ? static_cast<std::uint16_t>(m_savingCountdown - m_savingStep)
                            : std::uint16_t{0};
    return f;
}

} // namespace velmora::sim
