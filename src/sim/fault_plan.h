#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace velmora::sim {

// The ways the simulated line misbehaves, each on its own counter so they combine. "Every Nth"
// counts the unit's replies from 1 (the Nth, 2Nth, ...), 0 switches a fault off.
struct FaultPlan {
    unsigned dropEvery = 0;                   // the reply is not sent at all
    unsigned corruptEvery = 0;                // the check byte is wrong
    unsigned wrongCommandEvery = 0;           // a valid frame with another command byte
    unsigned splitEvery = 0;                  // the reply arrives in two parts ...
    std::chrono::milliseconds splitPause{70}; // ... this far apart, past one 55 ms tick
    std::size_t splitAt = 51;                 // bytes in the first part
    unsigned strayBytes = 0;                  // junk bytes written ahead of a reply
    unsigned strayEvery = 1;                  //   on every Nth reply
    std::uint8_t strayValue = 0x5A;
    // One data byte of a block reply (echo or stored block) differs from the stored block,
    // check byte fixed up, so only a comparison on the PC can notice. Counted among the
    // replies of the chosen block only, or of blocks 1..5 when none is chosen.
    unsigned alterEvery = 0;
    std::optional<std::uint8_t> alterBlock = std::nullopt;
    std::size_t alterIndex = 50; // data byte 0..99
    unsigned silentAfter = 0;    // requests beyond the Nth get no reply
    unsigned hangupAfter = 0;    // the line is closed after the reply to the Nth request

    bool pace = true;      // replies take as long as a real line would
    unsigned baud = 57600; // 8N1: ten bits on the wire per byte

    friend bool operator==(const FaultPlan &, const FaultPlan &) = default;
};

// Time the given number of bytes occupy a line at `baud` with 8N1 framing.
constexpr std::chrono::microseconds lineTime(std::size_t bytes, unsigned baud)
{
    return std::chrono::microseconds(baud == 0 ? 0 : bytes * 10 * 1000000 / baud);
}

} // namespace velmora::sim
