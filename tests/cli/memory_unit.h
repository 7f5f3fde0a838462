#pragma once

#include "cli/tick_source.h"
#include "cli/unit_session.h"
#include "link/memory_port.h"
#include "sim/fault_injector.h"
#include "sim/responder.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

// The simulated unit's responder and fault plan behind an in-memory line, paced by ticks that
// pass only when the tool waits for one: a whole transaction runs in microseconds and every tick
// is counted. Replies are unpaced; a split reply's second part arrives at the first tick its pause
// has passed, and a hang-up leaves every later request unanswered.
class MemoryUnit {
public:
    static constexpr const char *kDevice = "/memory/velmora-unit";

    explicit MemoryUnit(const sim::FaultPlan &plan = {}) : m_injector(plan) {}

    const std::string &device() const { return m_device; }

    DeviceImage image() const { return m_responder.store().image(); }
    void setImage(const DeviceImage &image) { m_responder.store().setImage(image); }
    void setIdentity(const sim::IdentityBlock &identity)
    {
        m_responder.store().setIdentity(identity);
    }
    void setFaultPlan(const sim::FaultPlan &plan) { m_injector.setPlan(plan); }
    void setLive(const sim::LiveState &live) { m_responder.setLive(live); }
    void setSavingStep(std::uint16_t step) { m_responder.setSavingStep(step); }

    const sim::ResponderCounters &counters() const { return m_responder.counters(); }
    std::size_t requestsSeen() const { return m_requests; }
    std::size_t ticks() const { return m_ticks; }

    // Runs at every tick, before the link's tick.
    std::function<void()> onTick;
    // The cable to the line the tool opened last is pulled out.
    void unplug()
    {
        if (m_port)
            m_port->cut();
    }

    cli::UnitAccess access()
    {
        return {[this](const std::string &device) { return open(device); },
                [this] { return std::make_unique<Ticks>(*this); },
                {},
                {}};
    }

private:
    using Clock = sim::Clock;

    class Ticks : public cli::TickSource {
    public:
        explicit Ticks(MemoryUnit &unit) : m_unit(unit) {}
        void restart() override {}
        void wait() override { m_unit.advance(); }
        std::chrono::system_clock::time_point now() const override
        {
            return std::chrono::sys_days{std::chrono::January / 1 / 2026} + m_unit.m_ticks * kTick;
        }

    private:
        MemoryUnit &m_unit;
    };

    std::unique_ptr<link::SerialPort> open(const std::string &device)
    {
        if (device != m_device)
            return nullptr;
        auto port = std::make_unique<link::MemoryPort>();
        port->answer = [this](const link::Frame &request) { take(request); };
        m_port = port.get();
        m_pending.clear();
        return port;
    }

    void take(const link::Frame &request)
    {
        ++m_requests;
        if (m_hungUp)
            return;
        const sim::Transmission tx = m_injector.shape(m_responder.answer(request, m_time));
        Clock::time_point due = m_time;
        for (const sim::Segment &segment : tx.segments) {
            due += segment.pauseBefore;
            m_pending.emplace_back(due, segment.bytes);
        }
        m_hungUp = tx.hangUp;
        deliver();
    }

    void advance()
    {
        ++m_ticks;
        m_time += cli::TickSource::kTick;
        deliver();
        if (onTick)
            onTick();
    }

    void deliver()
    {
        while (!m_pending.empty() && m_pending.front().first <= m_time) {
            const auto &bytes = m_pending.front().second;
            m_port->incoming.insert(m_port->incoming.end(), bytes.begin(), bytes.end());
            m_pending.erase(m_pending.begin());
        }
    }

    std::string m_device = kDevice;
    sim::Responder m_responder;
    sim::FaultInjector m_injector;
    link::MemoryPort *m_port = nullptr; // the line the tool opened last
    std::vector<std::pair<Clock::time_point, std::vector<std::uint8_t>>> m_pending;
    Clock::time_point m_time{};
    std::size_t m_requests = 0;
    std::size_t m_ticks = 0;
    bool m_hungUp = false;
};

} // namespace velmora::test
