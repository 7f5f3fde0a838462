#include "frame_assembler.h"

namespace velmora::sim {

std::vector<AssembledFrame> FrameAssembler::feed(std::span<const std::uint8_t> bytes,
                                                 Clock::time_point at)
{
    std::vector<AssembledFrame> frames;
    if (bytes.empty())
        return frames;

    if (!m_bytes.empty() && at - m_lastAt > m_staleAfter)
        discard(m_bytes.size());
    m_lastAt = at;
    for (std::uint8_t b : bytes)
        m_bytes.push_back({b, at});

    while (m_bytes.size() >= link::kFrameSize) {
        if (m_inStep && windowValid(0)) {
            frames.push_back(take());
            continue;
        }
        m_inStep = false;
        const std::size_t last = m_bytes.size() - link::kFrameSize;
        if (windowValid(last)) {
            discard(last);
            frames.push_back(take());
            continue;
        }
        // Keep what could still be the start of a request whose tail is on its way.
        discard(last + 1);
    }
    return frames;
}

bool FrameAssembler::windowValid(std::size_t first) const
{
    if (!knownCommand(m_bytes[first].value))
        return false;
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < link::kFrameSize; ++i)
        x ^= m_bytes[first + i].value;
    return x == 0xFF;
}

void FrameAssembler::discard(std::size_t count)
{
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(count));
    m_discarded += count;
    if (m_bytes.empty())
        m_inStep = true;
}

AssembledFrame FrameAssembler::take()
{
    AssembledFrame frame{m_bytes.front().at, {}};
    for (std::size_t i = 0; i < link::kFrameSize; ++i)
        frame.bytes[i] = m_bytes[i].value;
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + link::kFrameSize);
    // Whatever follows a request starts where the request ended.
    m_inStep = true;
    return frame;
}

} // namespace velmora::sim
