#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace velmora::app {

// SIGTERM, SIGINT and SIGHUP (kill, Ctrl+C in the terminal that started the program, the end of
// the session) close the window the way its close button does, so the settings file and the
// parameter image file are written as at a normal close and the event loop then ends. The
// handler only writes the signal's number to a socket pair; the event loop reads it on the GUI
// thread and does the rest there.
class SignalCloser : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};

    // Catches the signals unless another closer already does, or no socket pair can be had.
    SignalCloser();
    ~SignalCloser() override; // the handlers found at construction come back

    bool installed() const { return m_notifier != nullptr; }
    // The window to close. A signal that came before it closes it once the event loop runs.
    void setWindow(QWidget *window);
    // Signals the event loop has taken in so far.
    int received() const { return m_received; }

private:
    void takeSignals();
    void closeWindow();

    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
    std::array<struct sigaction, kSignals.size()> m_previous{};
    QPointer<QWidget> m_window;
    bool m_requested = false;
    int m_received = 0;
};

} // namespace velmora::app
