// Any text into the parameter file reader: no crash, a rejected text changes nothing, and after
// an accepted one the consistency pass brings every field it governs into its range.
#include "files/parameter_file.h"
#include "fuzz_check.h"
#include "model/parameter_set.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace velmora;
    using fuzz::check;
    DeviceImage image;
    applyDefaults(image);
    consistencyPass(image);
    const DeviceImage before = image;
    bool extended = false;
    const auto result = files::readParameterText(
        std::string_view(reinterpret_cast<const char *>(data), size), image, extended);
    if (!result.accepted) {
        check(image == before && !extended);
        return 0;
    }
    for (std::size_t i = 0; i < layout::kParameterStart; ++i)
        check(image[i] == before[i]); // the identity block is never in a file
    consistencyPass(image);
    using namespace layout;
    auto within = [&](std::size_t offset, unsigned low, unsigned high) {
        check(image[offset] >= low && image[offset] <= high);
    };
    for (std::size_t axis : {kRpmAdv, kRpmJetTp, kRpmJetTpi, kRpmJetIap, kRpmPriv}) {
        within(axis, 3, 191);
        for (std::size_t i = 1; i < kCurvePoints; ++i) {
            within(axis + i, i + 3, 200);
            check(image[axis + i] > image[axis + i - 1]);
        }
    }
    for (std::size_t map : {kJetTp, kJetTpi, kJetIap})
        for (std::size_t e = 0; e < kMapCells; ++e)
            within(map + e, 0, 250);
    within(kAdvanceLimit, 10, 125);
    for (std::size_t speed : {kLimiter2, kPilotLight, kIntakeValve})
        within(speed, 10, 250);
    within(kTpsClosed, 0, 250);
    within(kTpsOpen, 0, 250);
    within(kStartJet, 0, 50);
    for (std::size_t k = 0; k < kChokePoints; ++k) {
        within(kChokeTimes + k, k, 250);
        within(kChokeCorrections + k, 0, 250);
        check(k == 0 || image[kChokeTimes + k] > image[kChokeTimes + k - 1]);
    }
    return 0;
}
