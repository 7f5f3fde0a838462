#include "image_builder.h"

#include "cli_texts.h"
#include "files/image_file.h"
#include "files/parameter_file.h"
#include "model/image_layout.h"
#include "model/parameter_set.h"

namespace velmora::cli {

DeviceImage defaultSet(std::uint8_t model)
{
    DeviceImage image;
    image[layout::kBike] = model;
    applyDefaults(image);
    applyModelConstants(image);
    consistencyPass(image);
    return image;
}

BuiltImage loadImage(const std::filesystem::path &path)
{
    BuiltImage built;
    if (!files::loadImageFile(path, built.image))
        built.error = &text::kOpenFileError;
    return built;
}

BuiltImage buildImage(const std::filesystem::path &input, FileKind kind,
                      const std::optional<std::filesystem::path> &base)
{
    BuiltImage built;
    if (base) {
        built = loadImage(*base);
        if (!built)
            return built;
    } else {
        built.image = defaultSet(0);
    }
    if (kind == FileKind::Image) {
        if (!files::loadImageFile(input, built.image)) {
            built.error = &text::kOpenFileError;
            return built;
        }
    } else {
        const std::optional<bool> accepted =
            files::loadParameterFile(input, built.image, built.extendedMonitor);
        if (!accepted) {
            built.error = &text::kOpenFileError;
            return built;
        }
        if (!*accepted) {
            built.error = &text::kFileVersionError;
            return built;
        }
    }
    applyModelConstants(built.image);
    consistencyPass(built.image);
    return built;
}

} // namespace velmora::cli
