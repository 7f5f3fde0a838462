#pragma once

#include "model/device_image.h"

#include <istream>
#include <optional>
#include <string>

namespace velmora::sim {

// Reads an image written as up to 600 whitespace-separated decimal numbers, bytes 0 onwards;
// each number keeps its low 8 bits and missing trailing bytes are zero. On failure returns
// nothing and says why in `error`.
std::optional<DeviceImage> readImageText(std::istream &in, std::string &error);
std::optional<DeviceImage> readImageFile(const std::string &path, std::string &error);

} // namespace velmora::sim
