#include "signal_closer.h"

#include <QApplication>
#include <QDialog>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora::app {

namespace {

// A signal handler is given nothing but the signal's number, so the end it writes to can only
// be found here. -1 while no closer is installed.
std::atomic<int> signalWriteEnd{-1};

extern "C" void writeSignalNumber(int number)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    // Non-blocking: with the socket full, one byte already waits to be read, which is enough.
    [[maybe_unused]] const ssize_t written = ::write(signalWriteEnd.load(), &byte, 1);
    errno = savedErrno;
}

bool setNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

SignalCloser::SignalCloser()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    int expected = -1;
    if (!setNonBlocking(ends[0]) || !setNonBlocking(ends[1]) ||
        !signalWriteEnd.compare_exchange_strong(expected, ends[1])) {
        ::close(ends[0]);
        ::close(ends[1]);
        return;
    }
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalCloser::takeSignals);

    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &action, &m_previous[i]);
}

SignalCloser::~SignalCloser()
{
    if (!installed())
        return;
    for (std::size_t i = 0; i < kSignals.size(); ++i)
        ::sigaction(kSignals[i], &m_previous[i], nullptr);
    signalWriteEnd.store(-1);
    ::close(m_writeEnd);
    ::close(m_readEnd);
}

void SignalCloser::setWindow(QWidget *window)
{
    m_window = window;
    if (m_requested)
        QMetaObject::invokeMethod(this, &SignalCloser::closeWindow, Qt::QueuedConnection);
}

void SignalCloser::takeSignals()
{
    unsigned char numbers[16];
    ssize_t n = 0;
    int taken = 0;
    while ((n = ::read(m_readEnd, numbers, sizeof numbers)) > 0)
        taken += static_cast<int>(n);
    if (taken == 0)
        return;
    m_received += taken;
    m_requested = true;
    closeWindow();
}

void SignalCloser::closeWindow()
{
    // A message box or file dialog that is open, over the window or before it exists, is
    // cancelled: its command goes on as if the user had cancelled it, and a window still being
    // built goes on being built.
    for (int guard = 0; guard < 8; ++guard) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            break;
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }
    // The window runs its close sequence once, however many signals come.
    if (m_window)
        m_window->close();
}

} // namespace velmora::app
