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
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort &) = delete;
    QtSerialPort &operator=(const QtSerialPort &) = delete;

    // Opens `device` (a path such as /dev/ttyS0, or COM1), closing any device opened before.
    // Fails, saying why, when it is missing, not the user's to use, or held by another program
    // or another QtSerialPort.
    OpenResult open(const QString &device);
    void close();
    bool isOpen() const;

    // While closed: nothing waiting, nothing read, nothing written.
    std::size_t bytesWaiting() override;
    std::size_t read(std::span<std::uint8_t> out) override;
    void writeFrame(const Frame &frame) override;

private:
    void pull();

    std::unique_ptr<QSerialPort> m_port;
};

} // namespace velmora::link
