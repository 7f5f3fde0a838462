// Any text into the parameter file reader: no crash, a rejected text changes nothing, and after
// an accepted one the consistency pass brings every field it governs into its range.
#include "files/parameter_file.h"
#include "model/parameter_set.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velmora;
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    const DeviceImage before = image;
    bool extended = false;
    const auto result = files::readParameterText(
        std::string_view(reinterpret_cast<const char *>(data), size), image, extended);
    if (!result.accepted) {
        if (!(image == before) || extended)
            std::abort();
        return 0;
    }
    for (std::size_t i = 0; i < layout::kParameterStart; ++i)
        if (image[i] != before[i])
            std::abort(); // the identity block is never in a file
    consistencyPass(image);
    for (std::size_t axis : {layout::kRpmAdv, layout::kRpmJetTp, layout::kRpmJetTpi,
                             layout::kRpmJetIap, layout::kRpmPriv})
        for (std::size_t i = 1; i < layout::kCurvePoints; ++i)
            if (image[axis + i] <= image[axis + i - 1] || image[axis + i] > 200)
                std::abort();
    for (std::size_t map : {layout::kJetTp, layout::kJetTpi, layout::kJetIap})
        for (std::size_t e = 0; e < layout::kMapCells; ++e)
            if (image[map + e] > 250)
                std::abort();
    return 0;
}
