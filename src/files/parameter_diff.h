#pragma once

#include "model/device_image.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::files {

// One difference between two parameter sets: a number of the parameter file (keyword, its
// place among that keyword's numbers, the number on each side as the file holds it), or an
// image byte that no number of the file shows (empty keyword, `index` is the byte's offset).
struct Difference {
    std::string_view keyword;
    std::size_t index = 0;
    long a = 0;
    long b = 0;
    std::size_t offset = 0; // the image byte behind it
    bool isByte() const { return keyword.empty(); }
    friend bool operator==(const Difference &, const Difference &) = default;
};

// Bytes first .. end-1, looked at besides the file's numbers.
struct ByteRange {
    std::size_t first = 0;
    std::size_t end = layout::kImageSize;
};

// The numbers of the parameter file that differ, in file order (EXT_MON is no part of the set),
// then, within `bytes`, every differing byte the numbers do not show, in byte order. A byte the
// file holds only as 0 or 1 counts as shown when its numbers differ; two different bytes that
// both read 1 there are listed as bytes, so that no difference goes unseen.
std::vector<Difference> differences(const DeviceImage &a, const DeviceImage &b,
                                    std::optional<ByteRange> bytes);

// "KEYWORD[i] VA -> VB" or "BYTE[n] a -> b".
std::string differenceLine(const Difference &difference);

} // namespace velmora::files
