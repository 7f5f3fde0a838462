#pragma once

#include "link/frame.h"
#include "responder.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <vector>

namespace velmora::sim {

// A request cut out of the byte stream, stamped with the arrival of its first byte (a paced
// reply is timed from there).
struct AssembledFrame {
    Clock::time_point firstByteAt;
    link::Frame bytes;
};

// Turns the bytes read from the line into requests. The line carries no start marker, so a
// window of 102 bytes counts as a request only when its check byte fits and it starts with a
// command the unit knows (which makes a chance fit in junk twenty times rarer). While the stream
// is in step, requests follow each other from the first byte on. Once a window fails, only the
// window that ends with the newest byte is tried: the PC waits for an answer after every
// request, so a request behind junk is the last thing on the line. Trying every offset instead
// would take a chance fit in junk for the request in about a quarter of all recoveries.
// A partial request that sat through a quiet spell is stale (the PC has given up on it) and is
// dropped before newer bytes are added.
class FrameAssembler {
public:
    static constexpr std::chrono::milliseconds kDefaultStaleAfter{200};

    explicit FrameAssembler(std::chrono::milliseconds staleAfter = kDefaultStaleAfter)
        : m_staleAfter(staleAfter)
    {}

    std::vector<AssembledFrame> feed(std::span<const std::uint8_t> bytes, Clock::time_point at);

    std::size_t pending() const { return m_bytes.size(); }
    std::size_t discarded() const { return m_discarded; }

private:
    bool windowValid(std::size_t first) const;
    void discard(std::size_t count);
    AssembledFrame take();

    struct Byte {
        std::uint8_t value;
        Clock::time_point at;
    };

    std::chrono::milliseconds m_staleAfter;
    std::deque<Byte> m_bytes;
    Clock::time_point m_lastAt{};
    std::size_t m_discarded = 0;
    bool m_inStep = true; // the first pending byte starts a request
};

} // namespace velmora::sim
