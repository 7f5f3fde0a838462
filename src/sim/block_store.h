#pragma once

#include "identity_block.h"
#include "model/device_image.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::sim {

// The unit's memory: the 600-byte image, block 0 being its identity. Out of the box it holds
// the model-0 defaults, as a freshly programmed unit would.
class BlockStore {
public:
    explicit BlockStore(const IdentityBlock &identity = {});
    explicit BlockStore(const DeviceImage &image) : m_image(image) {}

    static DeviceImage defaultImage(const IdentityBlock &identity = {});

    const DeviceImage &image() const { return m_image; }
    void setImage(const DeviceImage &image) { m_image = image; }
    void setIdentity(const IdentityBlock &identity) { identity.writeTo(m_image); }

    std::span<const std::uint8_t, layout::kBlockSize> block(std::size_t k) const
    {
        return m_image.block(k);
    }

    // Writes a parameter block (1..5). The identity is the unit's own and is never overwritten
    // from the line, so block 0 and numbers past the image are refused.
    bool store(std::size_t k, std::span<const std::uint8_t> data);

private:
    DeviceImage m_image;
};

} // namespace velmora::sim
