#pragma once

#include "image_layout.h"

#include <array>
#include <cstdint>
#include <span>

namespace velmora {

// The 600 bytes the unit stores: block 0 is the unit's identity, blocks 1..5 the parameter set.
// It is a plain value; copies compare byte for byte.
class DeviceImage {
public:
    using Bytes = std::array<std::uint8_t, layout::kImageSize>;

    DeviceImage() { m_bytes.fill(0); }

    std::uint8_t &operator[](std::size_t offset) { return m_bytes[offset]; }
    std::uint8_t operator[](std::size_t offset) const { return m_bytes[offset]; }

    // A run of consecutive bytes, e.g. a curve or a map.
    std::span<std::uint8_t> run(std::size_t offset, std::size_t count)
    {
        return std::span<std::uint8_t>(m_bytes).subspan(offset, count);
    }
    std::span<const std::uint8_t> run(std::size_t offset, std::size_t count) const
    {
        return std::span<const std::uint8_t>(m_bytes).subspan(offset, count);
    }

    // Block k = bytes 100 k .. 100 k + 99; k must be below 6.
    std::span<std::uint8_t, layout::kBlockSize> block(std::size_t k)
    {
        return std::span<std::uint8_t, layout::kBlockSize>(m_bytes.data() + k * layout::kBlockSize,
                                                           layout::kBlockSize);
    }
    std::span<const std::uint8_t, layout::kBlockSize> block(std::size_t k) const
    {
        return std::span<const std::uint8_t, layout::kBlockSize>(
            m_bytes.data() + k * layout::kBlockSize, layout::kBlockSize);
    }

    Bytes &bytes() { return m_bytes; }
    const Bytes &bytes() const { return m_bytes; }

    // The parameter set only: bytes 100..599.
    std::span<const std::uint8_t> parameters() const
    {
        return run(layout::kParameterStart, layout::kImageSize - layout::kParameterStart);
    }

    std::uint8_t bike() const { return m_bytes[layout::kBike]; }

    friend bool operator==(const DeviceImage &, const DeviceImage &) = default;

private:
    Bytes m_bytes;
};

} // namespace velmora
