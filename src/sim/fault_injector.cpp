#include "fault_injector.h"

#include <algorithm>

namespace velmora::sim {

namespace {

bool nth(unsigned every, std::size_t count)
{
    return every != 0 && count % every == 0;
}

void resealFrame(link::Frame &f)
{
    f[link::kFrameSize - 1] = link::checkByte(f);
}

} // namespace

std::size_t Transmission::size() const
{
    std::size_t n = 0;
    for (const Segment &s : segments)
        n += s.bytes.size();
    return n;
}

std::vector<std::uint8_t> Transmission::bytes() const
{
    std::vector<std::uint8_t> out;
    for (const Segment &s : segments)
        out.insert(out.end(), s.bytes.begin(), s.bytes.end());
    return out;
}

void FaultInjector::setPlan(const FaultPlan &plan)
{
    m_plan = plan;
    m_requests = 0;
    m_replies = 0;
    m_alterCandidates = 0;
}

bool FaultInjector::alterEligible(const link::Frame &reply) const
{
    const std::uint8_t command = reply[0] ^ link::kReplyBit;
    if (command == link::kMonitorCommand)
        return false;
    const std::size_t block = command & link::kBlockMask;
    if (m_plan.alterBlock)
        return block == *m_plan.alterBlock;
    return block != 0;
}

Transmission FaultInjector::shape(const std::optional<link::Frame> &reply)
{
    const bool wasSilent = silent();
    ++m_requests;
    Transmission out;
    out.hangUp = m_plan.hangupAfter != 0 && m_requests == m_plan.hangupAfter;
    if (wasSilent || !reply)
        return out;

    const std::size_t n = ++m_replies;
    if (nth(m_plan.dropEvery, n))
        return out;

    link::Frame f = *reply;
    if (m_plan.alterEvery != 0 && alterEligible(f) && nth(m_plan.alterEvery, ++m_alterCandidates)) {
        f[1 + std::min(m_plan.alterIndex, link::kFrameData - 1)] ^= 0x01;
        resealFrame(f);
    }
    if (nth(m_plan.wrongCommandEvery, n)) {
        f[0] ^= 0x01;
        resealFrame(f);
    }
    if (nth(m_plan.corruptEvery, n))
        f[link::kFrameSize - 1] ^= 0xFF;

    Segment first;
    if (m_plan.strayBytes != 0 && nth(m_plan.strayEvery, n))
        first.bytes.assign(m_plan.strayBytes, m_plan.strayValue);

    if (nth(m_plan.splitEvery, n)) {
        const std::size_t cut = std::clamp<std::size_t>(m_plan.splitAt, 1, link::kFrameSize - 1);
        first.bytes.insert(first.bytes.end(), f.begin(), f.begin() + cut);
        out.segments.push_back(std::move(first));
        out.segments.push_back({m_plan.splitPause, {f.begin() + cut, f.end()}});
    } else {
        first.bytes.insert(first.bytes.end(), f.begin(), f.end());
        out.segments.push_back(std::move(first));
    }
    return out;
}

} // namespace velmora::sim
