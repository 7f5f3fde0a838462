#pragma once

#include "link/frame.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace velmora::link {

// What the protocol needs of a serial line. Nothing here waits for the unit.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Bytes received and waiting to be read; never blocks.
    virtual std::size_t bytesWaiting() = 0;
    // Reads at most out.size() of the waiting bytes; returns how many it read.
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
    // Sends one frame and returns when it has left the PC.
    virtual void writeFrame(const Frame &frame) = 0;
};

} // namespace velmora::link
