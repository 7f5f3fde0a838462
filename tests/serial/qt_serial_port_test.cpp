#include "link/qt_serial_port.h"

#include "link/headless_view.h"
#include "link/link.h"

#include <QDir>
#include <QLockFile>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace velmora::link;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

namespace {

constexpr auto kPatience = 2s;
constexpr std::chrono::milliseconds kWriteDeadline{QtSerialPort::kWriteTimeoutMs};

// A pseudo-terminal standing in for the serial line: the adapter opens the terminal side, the
// test plays the unit on the master side. The test keeps a terminal-side descriptor of its own
// open throughout, because once the last one closes the master side reads only errors.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        const char *name = ::ptsname(m_master);
        if (!name)
            return;
        m_path = name;
        m_terminal = ::open(name, O_RDWR | O_NOCTTY);
        termios mode{};
        if (m_terminal < 0 || ::tcgetattr(m_terminal, &mode) != 0)
            return;
        // Raw before the adapter opens: no echo back to the master, no line editing, no
        // translation of line ends.
        ::cfmakeraw(&mode);
        m_ready = ::tcsetattr(m_terminal, TCSANOW, &mode) == 0;
    }
    ~PseudoTerminal()
    {
        if (m_terminal >= 0)
            ::close(m_terminal);
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool ready() const { return m_ready; }
    // The line settings as the terminal side has them now.
    termios mode() const
    {
        termios mode{};
        ::tcgetattr(m_terminal, &mode);
        return mode;
    }
    QString path() const { return QString::fromStdString(m_path); }
    // Bytes sent from the master side that no reader on the terminal side has taken yet.
    int terminalQueue() const
    {
        int n = -1;
        ::ioctl(m_terminal, FIONREAD, &n);
        return n;
    }

    // The unit's end goes away; the terminal side, held open here, is hung up.
    void hangUp()
    {
        ::close(m_master);
        m_master = -1;
    }
    // The terminal side stops sending, as a line held by flow control does.
    void stopOutput() { ::tcflow(m_terminal, TCOOFF); }
    // Fills what the line can hold on its way to the master side, which never reads it.
    void fillTowardsTheUnit()
    {
        const int flags = ::fcntl(m_terminal, F_GETFL);
        ::fcntl(m_terminal, F_SETFL, flags | O_NONBLOCK);
        const std::vector<char> chunk(4096, 'x');
        while (::write(m_terminal, chunk.data(), chunk.size()) > 0) {
        }
        ::fcntl(m_terminal, F_SETFL, flags);
    }

    bool send(const Bytes &bytes)
    {
        return ::write(m_master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // What reaches the master side within `wait`, up to `count` bytes.
    Bytes receive(std::size_t count, std::chrono::milliseconds wait)
    {
        Bytes out;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{m_master, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            std::uint8_t buffer[256];
            const ssize_t n = ::read(m_master, buffer, std::min(sizeof buffer, count - out.size()));
            if (n <= 0)
                break;
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

private:
    int m_master = -1;
    int m_terminal = -1;
    std::string m_path;
    bool m_ready = false;
};

// Polls `done` every few milliseconds until it holds or the patience is up.
template <typename Condition> bool waitUntil(Condition done)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (!done() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return done();
}

// Polls as the protocol does, with no event loop running in between.
std::size_t waitForBytes(QtSerialPort &port, std::size_t count)
{
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::size_t waiting = port.bytesWaiting();
    while (waiting < count && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
        waiting = port.bytesWaiting();
    }
    return waiting;
}

// Bytes a terminal in cooked mode would eat or change: line ends, flow control, interrupt, EOF.
Bytes awkwardBytes(std::size_t count)
{
    const Bytes special = {0x0D, 0x0A, 0x11, 0x13, 0x03, 0x04, 0x1A, 0x7F, 0xFF, 0x00};
    Bytes out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(i < special.size() ? special[i] : static_cast<std::uint8_t>(i * 37));
    return out;
}

class QtSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_line.ready()) << "no pseudo-terminal"; }

    PseudoTerminal m_line;
    QtSerialPort m_port;
};

} // namespace

TEST_F(QtSerialPortTest, OpensTheTerminalOnlyOnce)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    EXPECT_TRUE(m_port.isOpen());

    QtSerialPort second;
    const OpenResult held = second.open(m_line.path());
    EXPECT_FALSE(held);
    // Qt says "permission" for a held device; the user may use it, so it is busy.
    EXPECT_EQ(held.error, OpenError::Busy);
    EXPECT_FALSE(second.isOpen());
    EXPECT_EQ(second.bytesWaiting(), 0u);

    // The failed attempt leaves the first one's claim alone, and closing releases it.
    m_port.close();
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_TRUE(second.open(m_line.path()));
}

TEST_F(QtSerialPortTest, OpenSetsTheLineTo57600Baud8N1WithoutFlowControl)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    const termios mode = m_line.mode();
    EXPECT_EQ(::cfgetospeed(&mode), static_cast<speed_t>(B57600));
    EXPECT_EQ(::cfgetispeed(&mode), static_cast<speed_t>(B57600));
    EXPECT_EQ(mode.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(mode.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(mode.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(QtSerialPortTest, MissingDeviceStaysMissingWhileAnotherProgramTriesTheSameName)
{
    // Another program trying the same missing port holds the lock file of its name for a
    // moment; Qt then reports a permission error, which must not send the user to the dialout
    // group. The lock is held here in every folder Qt may keep it in.
    const QString name = QStringLiteral("velmora-held-missing-tty");
    std::vector<std::unique_ptr<QLockFile>> locks;
    for (const QString &folder : {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
                                  QStringLiteral("/var/spool/locks"),
                                  QStringLiteral("/var/spool/uucp"), QDir::tempPath()}) {
        auto lock = std::make_unique<QLockFile>(folder + QStringLiteral("/LCK..") + name);
        if (lock->tryLock(0))
            locks.push_back(std::move(lock));
    }
    ASSERT_FALSE(locks.empty()) << "no lock folder is writable here";
    const OpenResult missing = m_port.open(QStringLiteral("/dev/") + name);
    EXPECT_EQ(missing.error, OpenError::Missing);
    EXPECT_FALSE(m_port.isOpen());
}

TEST_F(QtSerialPortTest, MissingDeviceDoesNotOpen)
{
    const OpenResult missing = m_port.open(QStringLiteral("/dev/velmora-no-such-tty"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, OpenError::Missing);
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_EQ(m_port.bytesWaiting(), 0u);
    EXPECT_EQ(m_port.open(QString()).error, OpenError::Missing);

    // Still usable for the right device afterwards.
    const OpenResult opened = m_port.open(m_line.path());
    EXPECT_TRUE(opened);
    EXPECT_EQ(opened.error, OpenError::None);
}

TEST_F(QtSerialPortTest, DeviceWithoutPermissionIsNamedSo)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may open any device node, so none lacks permission";
    const std::string path = m_line.path().toStdString();
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const OpenResult refused = m_port.open(m_line.path());
    ::chmod(path.c_str(), before.st_mode & 07777);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error, OpenError::PermissionDenied);
    EXPECT_FALSE(m_port.isOpen());
}

TEST_F(QtSerialPortTest, ArrivingBytesAreSeenWithoutAnEventLoop)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    EXPECT_EQ(m_port.bytesWaiting(), 0u);
    ASSERT_TRUE(m_line.send({1, 2, 3, 4, 5}));
    ASSERT_EQ(waitForBytes(m_port, 5), 5u);

    std::uint8_t buffer[10] = {};
    EXPECT_EQ(m_port.read(std::span(buffer, 3)), 3u);
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(m_port.bytesWaiting(), 2u);
    EXPECT_EQ(m_port.read(buffer), 2u);
    EXPECT_EQ(Bytes(buffer, buffer + 2), (Bytes{4, 5}));
    EXPECT_EQ(m_port.bytesWaiting(), 0u);
    EXPECT_EQ(m_port.read(buffer), 0u);
}

TEST_F(QtSerialPortTest, FullReplyIsCountedAndReadUnchanged)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    const Bytes reply = awkwardBytes(kFrameSize - 1);
    ASSERT_TRUE(m_line.send(reply));
    ASSERT_EQ(waitForBytes(m_port, reply.size()), reply.size());
    // Nothing of the reply is left on the line, and a second look counts nothing twice.
    ASSERT_TRUE(waitUntil([&] { return m_line.terminalQueue() == 0; }));
    EXPECT_EQ(m_port.bytesWaiting(), 101u);

    Bytes got(200);
    got.resize(m_port.read(got));
    EXPECT_EQ(got, reply);
}

TEST_F(QtSerialPortTest, WrittenFrameLeavesWhole)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    const Bytes data = awkwardBytes(kFrameData);
    const Frame frame = makeFrame(kMonitorCommand, data);
    m_port.writeFrame(frame);
    EXPECT_EQ(m_line.receive(kFrameSize, kPatience), Bytes(frame.begin(), frame.end()));

    // A second frame straight after: nothing of the first is held back or repeated.
    const Frame next = makeFrame(0x05, {});
    m_port.writeFrame(next);
    EXPECT_EQ(m_line.receive(kFrameSize, kPatience), Bytes(next.begin(), next.end()));
    EXPECT_TRUE(m_line.receive(1, 50ms).empty());
}

TEST_F(QtSerialPortTest, ClosedPortNeitherReadsNorWrites)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    m_port.close();
    m_port.close();
    EXPECT_FALSE(m_port.isOpen());

    ASSERT_TRUE(m_line.send({7, 8, 9}));
    // The bytes wait on the terminal side, where an open port would take them.
    ASSERT_TRUE(waitUntil([&] { return m_line.terminalQueue() == 3; }));
    EXPECT_EQ(m_port.bytesWaiting(), 0u);
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(m_port.read(buffer), 0u);

    EXPECT_FALSE(m_port.writeFrame(makeFrame(kMonitorCommand, {})));
    EXPECT_TRUE(m_line.receive(kFrameSize, 100ms).empty());
    EXPECT_FALSE(m_port.lost()) << "closed on purpose, not lost";
}

TEST_F(QtSerialPortTest, HangUpClosesThePortAtTheNextLook)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    ASSERT_TRUE(m_line.send({1, 2, 3}));
    ASSERT_EQ(waitForBytes(m_port, 3), 3u);
    EXPECT_FALSE(m_port.lost());

    m_line.hangUp();
    // No waiting for it: the first look after the hang-up finds the line gone.
    m_port.bytesWaiting();
    EXPECT_TRUE(m_port.lost());
    EXPECT_FALSE(m_port.isOpen());
    EXPECT_EQ(m_port.bytesWaiting(), 0u);
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(m_port.read(buffer), 0u);
    EXPECT_FALSE(m_port.writeFrame(makeFrame(kMonitorCommand, {})));
    EXPECT_TRUE(m_port.lost());

    // Another line at the same port object starts afresh.
    PseudoTerminal next;
    ASSERT_TRUE(next.ready());
    ASSERT_TRUE(m_port.open(next.path()));
    EXPECT_FALSE(m_port.lost());
    EXPECT_TRUE(m_port.writeFrame(makeFrame(kMonitorCommand, {})));
    EXPECT_EQ(next.receive(kFrameSize, kPatience).size(), kFrameSize);
}

TEST_F(QtSerialPortTest, WriteToAHungUpLineFailsAndLosesIt)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    m_line.hangUp();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(m_port.writeFrame(makeFrame(0x40, {})));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2 * kWriteDeadline);
    EXPECT_TRUE(m_port.lost());
    EXPECT_FALSE(m_port.isOpen());
}

// The link on the adapter: a line that failed ends a Read at once with its own text, while a port
// closed on purpose is no port at all, and the Read runs into its time-out as without one.
TEST_F(QtSerialPortTest, LinkTellsALostLineFromAPortClosedOnPurpose)
{
    for (const bool hangUp : {false, true}) {
        PseudoTerminal line;
        ASSERT_TRUE(line.ready());
        ASSERT_TRUE(m_port.open(line.path()));
        if (hangUp) {
            line.hangUp();
            m_port.bytesWaiting();
        } else {
            m_port.close();
        }
        velmora::DeviceImage image;
        HeadlessView view(image, 1);
        Link link(image, view);
        link.setPort(&m_port);
        link.MenuReadClick();
        int ticks = 0;
        for (; ticks < 100 && link.transferMode() != TransferMode::Idle; ++ticks)
            link.tick();
        ASSERT_TRUE(view.ended().has_value());
        EXPECT_EQ(view.ended()->outcome, Outcome::ReadError);
        if (hangUp) {
            EXPECT_EQ(ticks, 0);
            EXPECT_EQ(view.message(), "Connection to the unit lost: the port was closed");
        } else {
            EXPECT_EQ(ticks, Link::kMaxSends * Link::kResendTicks);
            EXPECT_EQ(view.message(), "Read error!");
        }
    }
}

// A line that takes no more bytes: the write gives up by its deadline and reports it, whichever
// way the line got stuck.
class StuckLineTest : public QtSerialPortTest,
                      public ::testing::WithParamInterface<void (*)(PseudoTerminal &)> {};

TEST_P(StuckLineTest, WriteReturnsByItsDeadlineAndReportsFailure)
{
    ASSERT_TRUE(m_port.open(m_line.path()));
    ASSERT_TRUE(m_port.writeFrame(makeFrame(kMonitorCommand, {})));
    ASSERT_EQ(m_line.receive(kFrameSize, kPatience).size(), kFrameSize);
    GetParam()(m_line);

    // The kernel may still make a little room now and then, so a frame or two may yet go; each
    // write returns by its deadline all the same, and the one that cannot go says so.
    using Clock = std::chrono::steady_clock;
    Clock::duration longest{}, failedAfter{};
    bool sent = true;
    for (int i = 0; i < 64 && sent; ++i) {
        const auto start = Clock::now();
        sent = m_port.writeFrame(makeFrame(0x40, {}));
        longest = std::max(longest, Clock::now() - start);
        failedAfter = Clock::now() - start;
    }
    EXPECT_FALSE(sent);
    EXPECT_LT(longest, 2 * kWriteDeadline);
    EXPECT_GE(failedAfter, kWriteDeadline - 10ms) << "gave up before the line had its time";
    EXPECT_TRUE(m_port.lost());
    EXPECT_FALSE(m_port.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Ways, StuckLineTest,
                         ::testing::Values(
                             +[](PseudoTerminal &line) { line.stopOutput(); },
                             +[](PseudoTerminal &line) { line.fillTowardsTheUnit(); }),
                         [](const auto &info) {
                             return info.index == 0 ? "OutputStopped" : "UnitNeverReads";
                         });
