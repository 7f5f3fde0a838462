#include "identity.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace velmora {

namespace {

constexpr std::array<const char *, 12> kMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string format(const char *pattern, unsigned value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string twoDigits(unsigned value)
{
    return format("%02u", value);
}

} // namespace

std::uint8_t monthCode(const char *name)
{
    unsigned sum = 0;
    for (const char *p = name; *p; ++p)
        sum += static_cast<unsigned char>(*p);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string monthText(std::uint8_t code)
{
    for (std::size_t m = 0; m < kMonthNames.size(); ++m) {
        if (monthCode(kMonthNames[m]) == code)
            return format("%2u", static_cast<unsigned>(m + 1));
    }
    return "00";
}

UnitIdentity DecodeUnitIdentity(const DeviceImage &image)
{
    using namespace layout::id;
    UnitIdentity out;

    if (image[kLongName] != 0) {
        const auto name = image.run(kLongName, kLongNameSize);
        for (std::uint8_t c : name) {
            if (c == 0)
                break;
            out.version.push_back(static_cast<char>(c));
        }
    } else {
        for (std::uint8_t c : image.run(kName, kNameSize))
            out.version.push_back(static_cast<char>(c));
        const unsigned v = image[kVersion];
        out.version.push_back(static_cast<char>('0' + v / 10));
        out.version.push_back(static_cast<char>('0' + v % 10));
    }

    out.date = format("%2u", image[kDay]) + "." + monthText(image[kMonth]) + ".20" +
               twoDigits(image[kYear]);
    out.time = twoDigits(image[kHour]) + ":" + twoDigits(image[kMinute]);
    return out;
}

bool isCompatible(const DeviceImage &image)
{
    return image[layout::id::kCompatibilityMark] == kCompatibilityMark;
}

bool readPermitted(const DeviceImage &image)
{
    return image[layout::id::kReadPermission] == 1;
}

bool modelAccepted(const DeviceImage &image, std::uint8_t model)
{
    const std::uint8_t bits = image[layout::id::kModelMap + model / 8];
    return ((bits >> (model % 8)) & 1) != 0;
}

} // namespace velmora
