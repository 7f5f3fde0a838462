#pragma once

#include "fault_plan.h"
#include "link/frame.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace velmora::sim {

// Bytes to write after an optional pause.
struct Segment {
    std::chrono::milliseconds pauseBefore{0};
    std::vector<std::uint8_t> bytes;
};

// What goes out on the line for one request.
struct Transmission {
    std::vector<Segment> segments;
    bool hangUp = false; // close the line once the segments are out

    std::size_t size() const;
    std::vector<std::uint8_t> bytes() const; // the segments joined
};

// Applies a FaultPlan to the responder's replies, one request at a time. Knows nothing of
// time or file descriptors: the pauses it asks for are carried out by the line.
class FaultInjector {
public:
    explicit FaultInjector(FaultPlan plan = {}) : m_plan(plan) {}

    const FaultPlan &plan() const { return m_plan; }
    // Counting starts afresh, so "every Nth" means from the change on.
    void setPlan(const FaultPlan &plan);

    // Called for every well-formed request, answered or not.
    Transmission shape(const std::optional<link::Frame> &reply);

    std::size_t requests() const { return m_requests; }
    std::size_t replies() const { return m_replies; }
    bool silent() const { return m_plan.silentAfter != 0 && m_requests >= m_plan.silentAfter; }

private:
    bool alterEligible(const link::Frame &reply) const;

    FaultPlan m_plan;
    std::size_t m_requests = 0;
    std::size_t m_replies = 0;
    std::size_t m_alterCandidates = 0;
};

} // namespace velmora::sim
