#pragma once

#include "serial_port.h"

#include <deque>
#include <functional>
#include <vector>

namespace velmora::link {

// A serial line in memory: what the unit "sent" waits in `incoming`; every frame written is
// kept and may be answered at once by `answer`. For driving the protocol tick by tick.
//
// A line can break the two ways a real one does: cut() loses it between writes, as an unplugged
// cable is found by the next look at the line; failWrites makes every later write fail, which
// loses the line too. A lost line delivers nothing and takes nothing.
class MemoryPort : public SerialPort {
public:
    std::deque<std::uint8_t> incoming;
    std::vector<Frame> written; // the frames that left, not those that failed
    std::function<void(const Frame &)> answer;
    bool failWrites = false;

    std::size_t bytesWaiting() override { return m_lost ? 0 : incoming.size(); }
    std::size_t read(std::span<std::uint8_t> out) override
    {
        std::size_t n = 0;
        if (m_lost)
            return 0;
        while (n < out.size() && !incoming.empty()) {
            out[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    bool writeFrame(const Frame &frame) override
    {
        if (failWrites)
            m_lost = true;
        if (m_lost)
            return false;
        written.push_back(frame);
        if (answer)
            answer(frame);
        return true;
    }
    bool lost() const override { return m_lost; }
    void cut() { m_lost = true; }
    void push(const Frame &frame) { incoming.insert(incoming.end(), frame.begin(), frame.end()); }
    std::vector<std::uint8_t> commands() const
    {
        std::vector<std::uint8_t> out;
        for (const auto &f : written)
            out.push_back(f[0]);
        return out;
    }

private:
    bool m_lost = false;
};

} // namespace velmora::link
