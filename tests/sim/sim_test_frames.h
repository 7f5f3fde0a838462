#pragma once

#include "link/frame.h"

#include <array>
#include <cstdint>

namespace velmora::sim::testing {

// 100 data bytes that differ from block to block and from any default.
inline std::array<std::uint8_t, link::kFrameData> pattern(std::uint8_t seed)
{
    std::array<std::uint8_t, link::kFrameData> data{};
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + 1);
    return data;
}

inline link::Frame request(std::uint8_t command, std::uint8_t seed = 0)
{
    return link::makeFrame(command, pattern(seed));
}

inline std::uint16_t word(const link::Frame &f, std::size_t at)
{
    return static_cast<std::uint16_t>(f[at] | (f[at + 1] << 8));
}

template <typename A, typename B> bool sameData(const A &frame, const B &block)
{
    for (std::size_t i = 0; i < link::kFrameData; ++i) {
        if (frame[1 + i] != block[i])
            return false;
    }
    return true;
}

} // namespace velmora::sim::testing
