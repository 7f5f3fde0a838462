#pragma once

#include "model/device_image.h"
#include "model/parameter_set.h"

#include <random>
#include <vector>

namespace velmora::test {

// The defaults of `model`, made consistent.
inline DeviceImage defaultSet(std::uint8_t model)
{
    DeviceImage image;
    image[layout::kBike] = model;
    applyDefaults(image);
    consistencyPass(image);
    return image;
}

inline DeviceImage randomImage(std::mt19937 &rng)
{
    std::uniform_int_distribution<int> byte(0, 255);
    DeviceImage image;
    for (auto &b : image.bytes())
        b = static_cast<std::uint8_t>(byte(rng));
    return image;
}

// Offsets that `a` and `b` hold differently.
inline std::vector<std::size_t> differences(const DeviceImage &a, const DeviceImage &b)
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < layout::kImageSize; ++i)
        if (a[i] != b[i])
            out.push_back(i);
    return out;
}

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesAt(const DeviceImage &image, std::size_t offset, std::size_t n)
{
    const auto r = image.run(offset, n);
    return {r.begin(), r.end()};
}

inline void put(DeviceImage &image, std::size_t offset, const Bytes &values)
{
    for (std::size_t i = 0; i < values.size(); ++i)
        image[offset + i] = values[i];
}

} // namespace velmora::test
