#pragma once

#include "link/headless_view.h"
#include "link/link.h"
#include "link/open_failure.h"
#include "link/port_catalog.h"
#include "tick_source.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

namespace velmora::cli {

// A port as an opener gives it: the line, or none and why not.
struct OpenedPort {
    OpenedPort() = default;
    // A line, or none for a missing device: what openers without reasons of their own give.
    OpenedPort(std::unique_ptr<link::SerialPort> line)
        : port(std::move(line)), result{port ? link::OpenError::None : link::OpenError::Missing, {}}
    {}
    OpenedPort(link::OpenResult why) : result(std::move(why)) {}

    std::unique_ptr<link::SerialPort> port;
    link::OpenResult result;
};

// Opens the named device.
using PortOpener = std::function<OpenedPort(const std::string &device)>;

// How the tool reaches a unit and what paces it, which serial ports the machine has and where
// the unit history goes: the serial ports, the system's list, the real 55 ms tick and the user's
// history folder in the program, another line, a list of their own, ticks by hand and a
// temporary folder in tests.
struct UnitAccess {
    PortOpener openPort;
    std::function<std::unique_ptr<TickSource>()> makeTicks;
    link::PortLister listPorts; // none: no ports
    // None: nothing is recorded and the listing is empty, so that no test writes into the
    // user's own folder by leaving it out.
    std::filesystem::path historyFolder;
};

// The serial devices through Qt Serial Port, on the steady 55 ms tick, and the history in the
// user's folder.
UnitAccess serialAccess();

// The link to one unit, paced by its tick source.
class UnitSession {
public:
    UnitSession(DeviceImage &image, std::uint8_t language, const UnitAccess &access,
                bool extendedMonitor = false);

    // Fails, saying why, when the device cannot be opened.
    link::OpenResult open(const std::string &device);

    // Waits for the next tick and runs it.
    void tick();
    // Ticks until the transaction started by `start` ends, writing one line to `progress` for
    // each block requested. True when the link reports it ended in success.
    bool transact(const std::function<void(link::Link &)> &start, std::ostream &progress);
    // The text that tells why the last transaction failed.
    std::string failureText() const;
    // True once the line has failed under the session; the tool does not open it again.
    bool lineLost() const { return m_port && m_port->lost(); }
    // The wall-clock time of the tick just run.
    std::chrono::system_clock::time_point now() const { return m_ticks->now(); }

    link::Link &link() { return m_link; }
    link::HeadlessView &view() { return m_view; }

private:
    PortOpener m_openPort;
    std::unique_ptr<TickSource> m_ticks;
    std::unique_ptr<link::SerialPort> m_port;
    link::HeadlessView m_view;
    link::Link m_link;
};

} // namespace velmora::cli
