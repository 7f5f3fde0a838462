#pragma once

#include "model/device_image.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::files {

// The .ign parameter file: the parameter set as keyword lines with values in engineering units
// (rpm, mV, percent, degrees), so that users can keep and exchange settings in a form they can
// read and edit. EXT_MON is no part of the image; it carries the window's external-monitor box.

// The 67 lines of the file with CR LF line ends and none after the last line. The layout is
// fixed down to the blank so that files compare equal across versions of the program.
std::string writeParameterText(const DeviceImage &image, bool extendedMonitor);

// One number of the written file: the keyword it stands under, its place among that keyword's
// numbers counted from 0 in file order (CHOKE has eight, JET_TP a hundred, row after row), the
// number as the file holds it (signed where the file writes it signed), and the image byte it
// comes from. `whole` is false for a byte the file holds only as 0 or 1 (PRIV_ENABLE).
struct FileValue {
    std::string_view keyword;
    std::size_t index = 0;
    long value = 0;
    std::size_t offset = 0;
    bool whole = true;
};

// Every number of the file written from `image`, in file order, EXT_MON left out. The text
// above is written by the same walk, so the two never disagree.
std::vector<FileValue> parameterValues(const DeviceImage &image);

struct ParameterReadResult {
    bool accepted = false;               // the text carried the key with format number 43
    std::optional<bool> extendedMonitor; // EXT_MON of an accepted text, when it has one
    explicit operator bool() const { return accepted; }
};

// Scans any text for the key "KORVANTA_KEY 43" and then for keywords in any order and layout;
// a repeated keyword wins with its last occurrence, a missing one leaves its field alone. A
// rejected text changes neither `image` nor `extendedMonitor`. There is no range check here:
// the caller runs the consistency pass after an accepted read.
//
// Reading works on words, runs of characters other than white space; a word is never cut, so
// an overlong word is one word whatever its length. A value is a word made of an optional sign
// and digits only; its digits wrap modulo 2^32 and a minus negates modulo 2^32. Where a keyword
// expects a value and the word is no value (or the text ends), that field and the keyword's
// remaining fields keep their bytes, and the word is taken as the next keyword candidate.
ParameterReadResult readParameterText(std::string_view text, DeviceImage &image,
                                      bool &extendedMonitor);

// False when the file cannot be created or written. The text goes out byte for byte.
bool saveParameterFile(const std::filesystem::path &path, const DeviceImage &image,
                       bool extendedMonitor);
// Nothing when the file cannot be opened; otherwise whether it was accepted, as
// readParameterText. The bytes are read as they are, without any encoding conversion.
std::optional<bool> loadParameterFile(const std::filesystem::path &path, DeviceImage &image,
                                      bool &extendedMonitor);

} // namespace velmora::files
