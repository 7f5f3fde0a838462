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
    // Sends one frame and returns when it has left the PC, or by a short deadline when the line
    // is stuck. False when it did not leave whole: the line is closed or has failed.
    virtual bool writeFrame(const Frame &frame) = 0;
    // True once the line failed under the program: the adapter was unplugged, the other end
    // hung up, or a frame could not leave. Nothing passes any more until the line is opened
    // again.
    virtual bool lost() const = 0;
};

} // namespace velmora::link
