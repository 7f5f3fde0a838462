#include "image_file.h"

#include "save_file.h"

#include <cstdio>
#include <fstream>
#include <system_error>

namespace velmora::files {

namespace {

constexpr int kEnd = -1;
constexpr std::size_t kValuesPerLine = 10;

bool isSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(int c)
{
    return c >= '0' && c <= '9';
}

// `next` gives one character at a time as an unsigned char value, kEnd after the last. Only the
// low 8 bits of a number matter and 256 divides every power of ten from 10^8 on, so keeping the
// running value modulo 256 gives the right byte for words of any length without overflow.
template <typename Next> std::size_t readNumbers(Next next, DeviceImage &image)
{
    std::size_t count = 0;
    int c = next();
    while (count < layout::kImageSize) {
        while (isSpace(c))
            c = next();
        if (!isDigit(c))
            break;
        unsigned value = 0;
        while (isDigit(c)) {
            value = (value * 10 + static_cast<unsigned>(c - '0')) & 0xFFu;
            c = next();
        }
        if (c != kEnd && !isSpace(c))
            break; // a word such as "12x" is no number
        image[count++] = static_cast<std::uint8_t>(value);
    }
    return count;
}

} // namespace

std::string imageText(const DeviceImage &image)
{
    std::string out;
    out.reserve(layout::kImageSize * 6 + layout::kImageSize / kValuesPerLine);
    char field[16];
    for (std::size_t i = 0; i < layout::kImageSize; ++i) {
        std::snprintf(field, sizeof field, "%5u ", static_cast<unsigned>(image[i]));
        out += field;
        if ((i + 1) % kValuesPerLine == 0)
            out += '\n';
    }
    return out;
}

std::size_t readImageText(std::string_view text, DeviceImage &image)
{
    std::size_t at = 0;
    return readNumbers(
        [&]() { return at < text.size() ? static_cast<unsigned char>(text[at++]) : kEnd; }, image);
}

bool saveImageFile(const std::filesystem::path &path, const DeviceImage &image)
{
    return saveFile(path, imageText(image)) == SaveResult::Saved;
}

std::optional<std::size_t> loadImageFile(const std::filesystem::path &path, DeviceImage &image)
{
    std::ifstream in;
    if (!openForReading(path, in))
        return std::nullopt;
    // Read as a stream rather than as one string: only the first 600 numbers matter, whatever
    // size the file has.
    std::streambuf *buffer = in.rdbuf();
    return readNumbers(
        [buffer]() {
            const auto c = buffer->sbumpc();
            return c == std::char_traits<char>::eof() ? kEnd : static_cast<int>(c);
        },
        image);
}

} // namespace velmora::files
