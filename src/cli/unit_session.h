#pragma once

#include "link/headless_view.h"
#include "link/link.h"
#include "link/qt_serial_port.h"

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace velmora::cli {

// The link to one unit, paced by the window's 55 ms tick on a steady clock.
class UnitSession {
public:
    static constexpr std::chrono::milliseconds kTick{55};

    UnitSession(DeviceImage &image, std::uint8_t language, bool extendedMonitor = false);

    // False when the device cannot be opened.
    bool open(const std::string &device);

    // Waits for the next tick and runs it.
    void tick();
    // Ticks until the transaction started by `start` ends, writing one line to `progress` for
    // each block requested. True when it ended in success.
    bool transact(void (link::Link::*start)(), std::ostream &progress);
    // Blocks 0 to 5 as a Read takes them and the consistency pass, without the verify pass. True
    // when all six came.
    bool readSet(std::ostream &progress);
    // The text that tells why the last transaction failed.
    std::string failureText() const;

    link::Link &link() { return m_link; }
    link::HeadlessView &view() { return m_view; }

private:
    // Ticks until the transaction started by `start` ends.
    void run(void (link::Link::*start)(), std::ostream &progress);

    link::QtSerialPort m_port;
    link::HeadlessView m_view;
    link::Link m_link;
    std::chrono::steady_clock::time_point m_next;
};

} // namespace velmora::cli
