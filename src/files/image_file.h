#pragma once

#include "model/device_image.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::files {

// A parameter file holds the whole 600-byte image as decimal numbers, ten to a line, each
// right-aligned in five characters and followed by a blank.
std::string imageText(const DeviceImage &image);

// Reads up to 600 unsigned decimal numbers separated by white space into bytes 0, 1, 2, ...
// Reading stops at the end of the text or at the first word that is not a number; the bytes
// after the last number read keep their values. Each number gives its low 8 bits, however many
// digits it has. Returns how many numbers were read.
std::size_t readImageText(std::string_view text, DeviceImage &image);

// False when the file cannot be written.
bool saveImageFile(const std::filesystem::path &path, const DeviceImage &image);
// How many numbers the file gave, as readImageText; nothing when the file cannot be opened.
std::optional<std::size_t> loadImageFile(const std::filesystem::path &path, DeviceImage &image);

} // namespace velmora::files
