#include "block_store.h"

#include "model/parameter_set.h"

#include <algorithm>

namespace velmora::sim {

BlockStore::BlockStore(const IdentityBlock &identity) : m_image(defaultImage(identity)) {}

DeviceImage BlockStore::defaultImage(const IdentityBlock &identity)
{
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    identity.writeTo(image);
    return image;
}

bool BlockStore::store(std::size_t k, std::span<const std::uint8_t> data)
{
    if (k == 0 || k >= layout::kBlockCount || data.size() < layout::kBlockSize)
        return false;
    std::copy_n(data.begin(), layout::kBlockSize, m_image.block(k).begin());
    return true;
}

} // namespace velmora::sim
