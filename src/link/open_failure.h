#pragma once

#include "link/port_catalog.h"

#include <cstdint>
#include <string>

namespace velmora::link {

// Why a serial port did not open.
enum class OpenError {
    None,
    PermissionDenied, // the user may not use the device
    Busy,             // another program, or another port object of ours, holds it
    Missing,          // no such device
    Other,            // the system's words say why
};

// What opening a port came to.
struct OpenResult {
    OpenError error = OpenError::None;
    std::string systemReason; // the system's own words, UTF-8; may be empty

    explicit operator bool() const { return error == OpenError::None; }
};

// The line under "Com opening error": which device, why, and what the user can do about it.
// `present` names the USB serial adapters for a missing device. Empty for a port that opened.
std::string openFailureLine(const std::string &device, const OpenResult &result,
                            const PortList &present, std::uint8_t language);

// "Com opening error", then the line above.
std::string openFailureText(const std::string &device, const OpenResult &result,
                            const PortList &present, std::uint8_t language);

} // namespace velmora::link
