#include "image_text.h"

#include <charconv>
#include <fstream>

namespace velmora::sim {

std::optional<DeviceImage> readImageText(std::istream &in, std::string &error)
{
    DeviceImage image;
    std::size_t count = 0;
    std::string word;
    while (in >> word) {
        long long value = 0;
        const char *end = word.data() + word.size();
        const auto [ptr, ec] = std::from_chars(word.data(), end, value);
        if (ec != std::errc() || ptr != end) {
            error = "number " + std::to_string(count + 1) + " is not a decimal number: " + word;
            return std::nullopt;
        }
        if (count == layout::kImageSize) {
            error = "more than " + std::to_string(layout::kImageSize) + " numbers";
            return std::nullopt;
        }
        image[count++] = static_cast<std::uint8_t>(static_cast<unsigned long long>(value) & 0xFF);
    }
    if (in.bad()) {
        error = "read error";
        return std::nullopt;
    }
    return image;
}

std::optional<DeviceImage> readImageFile(const std::string &path, std::string &error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    auto image = readImageText(in, error);
    if (!image)
        error = path + ": " + error;
    return image;
}

} // namespace velmora::sim
