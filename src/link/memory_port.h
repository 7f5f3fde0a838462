#pragma once

#include "serial_port.h"

#include <deque>
#include <functional>
#include <vector>

namespace velmora::link {

// A serial line in memory: what the unit "sent" waits in `incoming`; every frame written is
// kept and may be answered at once by `answer`. For driving the protocol tick by tick.
class MemoryPort : public SerialPort {
public:
    std::deque<std::uint8_t> incoming;
    std::vector<Frame> written;
    std::function<void(const Frame &)> answer;

    std::size_t bytesWaiting() override { return incoming.size(); }
    std::size_t read(std::span<std::uint8_t> out) override
    {
        std::size_t n = 0;
        while (n < out.size() && !incoming.empty()) {
            out[n++] = incoming.front();
            incoming.pop_front();
        }
        return n;
    }
    void writeFrame(const Frame &frame) override
    {
        written.push_back(frame);
        if (answer)
            answer(frame);
    }
    void push(const Frame &frame) { incoming.insert(incoming.end(), frame.begin(), frame.end()); }
    std::vector<std::uint8_t> commands() const
    {
        std::vector<std::uint8_t> out;
        for (const auto &f : written)
            out.push_back(f[0]);
        return out;
    }
};

} // namespace velmora::link
