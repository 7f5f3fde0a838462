#pragma once

#include "link/open_failure.h"
#include "link/serial_port.h"

#include <QString>

#include <memory>

class QSerialPort;

namespace velmora::link {

// The serial line to the unit through QSerialPort: 57600 baud, 8 data bits, no parity, one stop
// bit, no flow control. It works without an event loop: every call pulls from the system what
// has arrived so far.
//
// A line that fails under it (the adapter unplugged, the other end hung up, a frame stuck past
// its deadline) is closed at once and counts as lost until the next open() or close(); a stuck
// line costs at most one write deadline, never a frozen caller.
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort &) = delete;
    QtSerialPort &operator=(const QtSerialPort &) = delete;

    // The longest a frame may take to leave, the driver's buffer included: at 57600 baud a
    // frame needs about 18 ms.
    static constexpr int kWriteTimeoutMs = 500;

    // Opens `device` (a path such as /dev/ttyS0, or COM1), closing any device opened before.
    // Fails, saying why, when it is missing, not the user's to use, or held by another program
    // or another QtSerialPort.
    OpenResult open(const QString &device);
    void close();
    bool isOpen() const;

    // While closed: nothing waiting, nothing read, nothing written.
    std::size_t bytesWaiting() override;
    std::size_t read(std::span<std::uint8_t> out) override;
    bool writeFrame(const Frame &frame) override;
    bool lost() const override { return m_lost; }

private:
    void pull();
    // Closes a port whose last call left an error that nothing passes after.
    void closeIfFailed();
    void lose();

    std::unique_ptr<QSerialPort> m_port;
    bool m_lost = false;
};

} // namespace velmora::link
