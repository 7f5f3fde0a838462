#include "block_store.h"

#include "model/parameter_set.h"

#include <algorithm>

namespace velmora::sim {

BlockStore::BlockStore(const IdentityBlock &identity) : m_image(defaultImage(identity)) {}

DeviceImage BlockStore::defaultImage(const IdentityBlock &identity)
{
    // Model 0's defaults keep whatever servo curve a unit has, so give it the one a unit leaves
    // the factory with rather than zeros, which no cell can show.
    DeviceImage image;
    image[layout::kBike] = 1;
    applyDefaults(image);
    image[layout::kBike] = 0;
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
