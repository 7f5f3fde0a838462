#pragma once

#include "model/device_image.h"
#include "model/triple.h"

#include <cstdint>
#include <filesystem>
#include <optional>

namespace velmora::cli {

enum class FileKind : std::uint8_t { Parameters, Image };

// The default set of a model as the model box gives it: BIKE, the model's defaults and
// constants, then the consistency pass. Block 0 stays zero.
DeviceImage defaultSet(std::uint8_t model);

struct BuiltImage {
    DeviceImage image;
    bool extendedMonitor = false;
    const Triple *error = nullptr; // set when the image could not be built
    explicit operator bool() const { return error == nullptr; }
};

// An image file taken as it is: no model constants, no consistency pass.
BuiltImage loadImage(const std::filesystem::path &path);

// Starts from the model-0 default set, or from the image file `base`, reads `input` over it,
// then sets the constants of the resulting model and runs the consistency pass.
BuiltImage buildImage(const std::filesystem::path &input, FileKind kind,
                      const std::optional<std::filesystem::path> &base);

} // namespace velmora::cli
