#include "parameter_diff.h"

#include "parameter_file.h"

#include <array>

namespace velmora::files {

std::vector<Difference> differences(const DeviceImage &a, const DeviceImage &b,
                                    std::optional<ByteRange> bytes)
{
    const std::vector<FileValue> inA = parameterValues(a);
    const std::vector<FileValue> inB = parameterValues(b);
    std::vector<Difference> found;
    std::array<bool, layout::kImageSize> shown{};
    // Both lists come from the same walk, so they pair up value by value.
    for (std::size_t k = 0; k < inA.size() && k < inB.size(); ++k) {
        const FileValue &va = inA[k];
        const FileValue &vb = inB[k];
        if (va.whole || va.value != vb.value)
            shown[va.offset] = true;
        if (va.value != vb.value)
            found.push_back({va.keyword, va.index, va.value, vb.value, va.offset});
    }
    if (!bytes)
        return found;
    for (std::size_t n = bytes->first; n < bytes->end && n < layout::kImageSize; ++n)
        if (a[n] != b[n] && !shown[n])
            found.push_back({{}, n, a[n], b[n], n});
    return found;
}

std::string differenceLine(const Difference &difference)
{
    std::string line(difference.isByte() ? std::string_view("BYTE") : difference.keyword);
    line += '[' + std::to_string(difference.index) + "] " + std::to_string(difference.a) + " -> " +
            std::to_string(difference.b);
    return line;
}

} // namespace velmora::files
