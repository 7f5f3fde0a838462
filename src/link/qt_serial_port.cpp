#include "qt_serial_port.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace velmora::link {

namespace {

constexpr qint32 kBaudRate = 57600;
constexpr qint64 kReadBufferSize = 10000;

// Errors after which nothing passes on the line any more. An unplugged adapter reports a resource
// error; a pseudo-terminal whose other end hung up reports a read error, as a failing adapter
// may. Time-outs are only a wait that found nothing, and the modem lines a pseudo-terminal
// lacks are unsupported without the line being the worse for it.
constexpr std::array kLineFailures{QSerialPort::ResourceError, QSerialPort::ReadError,
                                   QSerialPort::WriteError, QSerialPort::DeviceNotFoundError,
                                   QSerialPort::PermissionError};

#ifdef Q_OS_UNIX
// Waits until the driver has sent every byte handed to it, or the deadline. A plain drain would
// wait without end on a line that stopped taking bytes.
bool drained(int descriptor, const QDeadlineTimer &deadline)
{
    for (;;) {
        int queued = 0;
        if (::ioctl(descriptor, TIOCOUTQ, &queued) != 0)
            return false;
        if (queued <= 0)
            return true;
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}
#endif

// Qt reports a device held by someone else as a permission error too: its lock file, or an
// exclusive open by another program. A lock held on a name whose device is not there at all
// (another program trying the same missing port) is one as well. Only the system's own check
// tells the three apart.
OpenError heldOrRefused(const QString &device)
{
#ifdef Q_OS_UNIX
    if (::access(device.toLocal8Bit().constData(), R_OK | W_OK) == 0)
        return OpenError::Busy;
    return errno == ENOENT ? OpenError::Missing : OpenError::PermissionDenied;
#else
    Q_UNUSED(device);
    return OpenError::Busy;
#endif
}

OpenResult failure(const QSerialPort &port, const QString &device)
{
    switch (port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return {OpenError::Missing, {}};
    case QSerialPort::PermissionError:
        return {heldOrRefused(device), {}};
    case QSerialPort::OpenError:
        return {OpenError::Busy, {}};
    default:
        return {OpenError::Other, port.errorString().toStdString()};
    }
}

} // namespace

QtSerialPort::QtSerialPort() : m_port(std::make_unique<QSerialPort>()) {}

QtSerialPort::~QtSerialPort() = default;

OpenResult QtSerialPort::open(const QString &device)
{
    close();
    if (device.isEmpty())
        return {OpenError::Missing, {}};
    m_port->setPortName(device);
    m_port->setBaudRate(kBaudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setReadBufferSize(kReadBufferSize);
    if (!m_port->open(QIODevice::ReadWrite)) {
        OpenResult result = failure(*m_port, device);
        m_port->clearError();
        return result;
    }
    // DTR and RTS stay raised for the interface cable. A pseudo-terminal has no modem lines and
    // refuses them with an unsupported-operation error; the port is usable all the same.
    m_port->setDataTerminalReady(true);
    m_port->setRequestToSend(true);
    m_port->clearError();
    return {};
}

void QtSerialPort::close()
{
    if (m_port->isOpen())
        m_port->close();
    m_port->clearError();
    m_lost = false;
}

bool QtSerialPort::isOpen() const
{
    return m_port->isOpen();
}

void QtSerialPort::lose()
{
    // Bytes stuck in the driver would hold up closing the device for as long as it waits for
    // them to drain, which on a serial adapter is many seconds.
    m_port->clear(QSerialPort::AllDirections);
    m_port->close();
    m_port->clearError();
    m_lost = true;
}

void QtSerialPort::closeIfFailed()
{
    const QSerialPort::SerialPortError error = m_port->error();
    if (std::find(kLineFailures.begin(), kLineFailures.end(), error) != kLineFailures.end())
        lose();
    else
        m_port->clearError();
}

void QtSerialPort::pull()
{
    // QSerialPort moves bytes from the system into its buffer only when it is told that some
    // arrived, which without a running event loop never happens; a zero wait asks at once.
    // Finding nothing is reported as a time-out error, which means nothing here.
    if (!m_port->waitForReadyRead(0))
        closeIfFailed();
}

std::size_t QtSerialPort::bytesWaiting()
{
    if (!m_port->isOpen())
        return 0;
    pull();
    return m_port->isOpen() ? static_cast<std::size_t>(m_port->bytesAvailable()) : 0;
}

std::size_t QtSerialPort::read(std::span<std::uint8_t> out)
{
    if (!m_port->isOpen() || out.empty())
        return 0;
    if (m_port->bytesAvailable() == 0)
        pull();
    if (!m_port->isOpen())
        return 0;
    const qint64 n =
        m_port->read(reinterpret_cast<char *>(out.data()), static_cast<qint64>(out.size()));
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool QtSerialPort::writeFrame(const Frame &frame)
{
    if (!m_port->isOpen())
        return false;
    const QDeadlineTimer deadline(kWriteTimeoutMs);
    const auto size = static_cast<qint64>(frame.size());
    bool sent = m_port->write(reinterpret_cast<const char *>(frame.data()), size) == size;
    // QSerialPort hands bytes to the system only from its event handling or while waiting.
    while (sent && m_port->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_port->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            break;
    }
    sent = sent && m_port->bytesToWrite() == 0;
#ifdef Q_OS_UNIX
    // Written bytes may still sit in the driver's buffer; the caller counts on their having left.
    sent = sent && drained(m_port->handle(), deadline);
#endif
    if (!sent) {
        lose();
        return false;
    }
    m_port->clearError();
    return true;
}

} // namespace velmora::link
