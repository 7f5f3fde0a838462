#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::link {

// One frame on the line, either way: a command byte, 100 data bytes and a check byte that makes
// the XOR of all 102 bytes 0xFF.
inline constexpr std::size_t kFrameSize = 102;
inline constexpr std::size_t kFrameData = 100;
using Frame = std::array<std::uint8_t, kFrameSize>;

inline constexpr std::uint8_t kMonitorCommand = 0x30;
inline constexpr std::uint8_t kReplyBit = 0x80;  // set in every reply
inline constexpr std::uint8_t kStoredBit = 0x40; // the reply carries the unit's stored block
inline constexpr std::uint8_t kBlockMask = 0x3F;
inline constexpr std::uint8_t kMonitorReply = kMonitorCommand ^ kReplyBit;

// The complement of the XOR of the first 101 bytes.
constexpr std::uint8_t checkByte(std::span<const std::uint8_t> first101)
{
    std::uint8_t x = 0xFF;
    for (std::size_t i = 0; i < first101.size() && i < kFrameSize - 1; ++i)
        x ^= first101[i];
    return x;
}

// A frame with its check byte in place.
inline Frame makeFrame(std::uint8_t command, std::span<const std::uint8_t> data)
{
    Frame f{};
    f[0] = command;
    for (std::size_t i = 0; i < kFrameData && i < data.size(); ++i)
        f[1 + i] = data[i];
    f[kFrameSize - 1] = checkByte(std::span<const std::uint8_t>(f.data(), kFrameSize - 1));
    return f;
}

// True when the first 102 bytes XOR to 0xFF.
constexpr bool frameValid(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kFrameSize)
        return false;
    std::uint8_t x = 0;
    for (std::size_t i = 0; i < kFrameSize; ++i)
        x ^= bytes[i];
    return x == 0xFF;
}

} // namespace velmora::link
