#include "identity_block.h"

#include <algorithm>

namespace velmora::sim {

std::uint8_t monthCodeOf(unsigned month)
{
    static constexpr std::array<const char *, 12> kNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month < 1 || month > kNames.size())
        return 0;
    return monthCode(kNames[month - 1]);
}

std::array<std::uint8_t, layout::kBlockSize> IdentityBlock::toBlock() const
{
    using namespace layout::id;
    std::array<std::uint8_t, layout::kBlockSize> block{};

    for (std::size_t i = 0; i < kNameSize; ++i)
        block[kName + i] = i < name.size() ? static_cast<std::uint8_t>(name[i]) : ' ';
    block[kVersion] = version;
    block[kDay] = day;
    block[kMonth] = monthCodeOf(month);
    block[kYear] = static_cast<std::uint8_t>(year - 2000);
    block[kHour] = hour;
    block[kMinute] = minute;
    block[kReadPermission] = readPermission;
    block[layout::id::kCompatibilityMark] = compatibilityMark;
    std::copy(modelMap.begin(), modelMap.end(), block.begin() + kModelMap);

    if (!longName.empty()) {
        std::fill_n(block.begin() + kLongName, kLongNameSize, std::uint8_t{0});
        const std::size_t n = std::min(longName.size(), kLongNameSize);
        for (std::size_t i = 0; i < n; ++i)
            block[kLongName + i] = static_cast<std::uint8_t>(longName[i]);
    }
    return block;
}

void IdentityBlock::writeTo(DeviceImage &image) const
{
    const auto bytes = toBlock();
    std::copy(bytes.begin(), bytes.end(), image.block(0).begin());
}

} // namespace velmora::sim
