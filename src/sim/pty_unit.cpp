#include "pty_unit.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

namespace velmora::sim {

namespace {

[[noreturn]] void throwErrno(const char *what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void setFlag(int fd, int getCommand, int setCommand, int flag, const char *what)
{
    const int flags = ::fcntl(fd, getCommand);
    if (flags < 0 || ::fcntl(fd, setCommand, flags | flag) < 0)
        throwErrno(what);
}

int pollTimeout(Clock::duration left)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(left + microseconds(999)).count();
    return static_cast<int>(std::clamp<long long>(ms, 0, 1000));
}

} // namespace

PtyUnit::PtyUnit(BlockStore store, FaultPlan plan, Engine engine)
    : m_responder(std::move(store), std::move(engine)), m_injector(plan)
{
    openTerminal();
    m_thread = std::thread([this] { run(); });
}

PtyUnit::~PtyUnit()
{
    stop();
}

void PtyUnit::openTerminal()
{
    m_master.reset(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!m_master.valid())
        throwErrno("posix_openpt");
    if (::grantpt(m_master.get()) != 0 || ::unlockpt(m_master.get()) != 0)
        throwErrno("grantpt/unlockpt");
    setFlag(m_master.get(), F_GETFD, F_SETFD, FD_CLOEXEC, "fcntl");
    setFlag(m_master.get(), F_GETFL, F_SETFL, O_NONBLOCK, "fcntl");

    std::array<char, 128> name{};
    if (::ptsname_r(m_master.get(), name.data(), name.size()) != 0)
        throwErrno("ptsname_r");
    m_slavePath = name.data();

    // Raw before anyone else can open it: a PC that does not set every flag itself must
    // still get the bytes unchanged.
    m_slave.reset(::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!m_slave.valid())
        throwErrno("open slave");
    termios tio{};
    if (::tcgetattr(m_slave.get(), &tio) != 0)
        throwErrno("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, B57600);
    ::cfsetospeed(&tio, B57600);
    if (::tcsetattr(m_slave.get(), TCSANOW, &tio) != 0)
        throwErrno("tcsetattr");

    std::array<int, 2> wake{};
    if (::pipe(wake.data()) != 0)
        throwErrno("pipe");
    m_wakeRead.reset(wake[0]);
    m_wakeWrite.reset(wake[1]);
    setFlag(m_wakeRead.get(), F_GETFD, F_SETFD, FD_CLOEXEC, "fcntl");
    setFlag(m_wakeWrite.get(), F_GETFD, F_SETFD, FD_CLOEXEC, "fcntl");
}

void PtyUnit::stop()
{
    if (!m_thread.joinable())
        return;
    m_stopping = true;
    // The byte is never read: the pipe stays readable and every later wait returns at once.
    const std::uint8_t byte = 1;
    [[maybe_unused]] const auto written = ::write(m_wakeWrite.get(), &byte, 1);
    m_thread.join();
}

void PtyUnit::run()
{
    std::array<std::uint8_t, 4096> buffer{};
    bool hungUp = false;
    while (!m_stopping && !hungUp) {
        std::array<pollfd, 2> fds{{{m_master.get(), POLLIN, 0}, {m_wakeRead.get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents != 0)
            break;
        if (fds[0].revents & POLLIN) {
            const ssize_t n = ::read(m_master.get(), buffer.data(), buffer.size());
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            if (n <= 0)
                break;
            std::vector<AssembledFrame> frames;
            {
                std::lock_guard lock(m_mutex);
                frames = m_assembler.feed(
                    std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n)),
                    Clock::now());
            }
            for (const AssembledFrame &frame : frames) {
                if (!serve(frame)) {
                    hungUp = !m_stopping && !m_master.valid();
                    break;
                }
            }
        } else if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            break;
        }
    }
    finish(hungUp);
}

bool PtyUnit::serve(const AssembledFrame &frame)
{
    Transmission tx;
    FaultPlan plan;
    {
        std::lock_guard lock(m_mutex);
        const auto reply = m_responder.answer(frame.bytes, frame.firstByteAt);
        tx = m_injector.shape(reply);
        plan = m_injector.plan();
        ++m_requestsSeen;
    }
    m_changed.notify_all();

    const bool sent = transmit(tx, frame.firstByteAt, plan);
    if (tx.hangUp) {
        hangUpLine();
        return false;
    }
    return sent;
}

bool PtyUnit::transmit(const Transmission &tx, Clock::time_point requestStart,
                       const FaultPlan &plan)
{
    Clock::time_point deadline = requestStart;
    if (plan.pace)
        deadline += lineTime(link::kFrameSize, plan.baud);

    for (const Segment &segment : tx.segments) {
        if (segment.pauseBefore.count() > 0)
            deadline = std::max(deadline, Clock::now()) + segment.pauseBefore;
        if (!plan.pace) {
            if (!sleepUntil(deadline) || !writeAll(segment.bytes))
                return false;
            continue;
        }
        // A real line hands the PC a reply a few bytes at a time, never faster than the baud
        // rate allows.
        std::span<const std::uint8_t> rest(segment.bytes);
        while (!rest.empty()) {
            const auto chunk = rest.first(std::min(kPaceChunk, rest.size()));
            deadline += lineTime(chunk.size(), plan.baud);
            if (!sleepUntil(deadline) || !writeAll(chunk))
                return false;
            rest = rest.subspan(chunk.size());
        }
    }
    return true;
}

bool PtyUnit::writeAll(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_master.get(), bytes.data(), bytes.size());
        if (n > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return false;
        // The PC is not reading and the terminal buffer is full: wait for room or for stop.
        std::array<pollfd, 2> fds{{{m_master.get(), POLLOUT, 0}, {m_wakeRead.get(), POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return false;
        if (fds[1].revents != 0)
            return false;
    }
    return true;
}

bool PtyUnit::sleepUntil(Clock::time_point deadline)
{
    for (;;) {
        if (m_stopping)
            return false;
        const auto now = Clock::now();
        if (now >= deadline)
            return true;
        pollfd wake{m_wakeRead.get(), POLLIN, 0};
        if (::poll(&wake, 1, pollTimeout(deadline - now)) > 0)
            return false;
    }
}

void PtyUnit::hangUpLine()
{
    // Closing the master discards whatever the PC has not read yet; a planned hang-up is meant
    // to come after the last reply, so let that reply reach the terminal and be read first.
    using namespace std::chrono_literals;
    const auto giveUp = Clock::now() + kHangUpLinger;
    if (sleepUntil(Clock::now() + 10ms)) {
        int waiting = 0;
        while (::ioctl(m_slave.get(), FIONREAD, &waiting) == 0 && waiting > 0 &&
               Clock::now() < giveUp && sleepUntil(Clock::now() + 2ms)) {
        }
    }
    m_master.reset();
}

void PtyUnit::finish(bool hungUp)
{
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
        m_hungUp = hungUp;
    }
    m_changed.notify_all();
}

bool PtyUnit::running() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool PtyUnit::hungUp() const
{
    std::lock_guard lock(m_mutex);
    return m_hungUp;
}

DeviceImage PtyUnit::image() const
{
    std::lock_guard lock(m_mutex);
    return m_responder.store().image();
}

void PtyUnit::setImage(const DeviceImage &image)
{
    std::lock_guard lock(m_mutex);
    m_responder.store().setImage(image);
}

void PtyUnit::setIdentity(const IdentityBlock &identity)
{
    std::lock_guard lock(m_mutex);
    m_responder.store().setIdentity(identity);
}

FaultPlan PtyUnit::faultPlan() const
{
    std::lock_guard lock(m_mutex);
    return m_injector.plan();
}

void PtyUnit::setFaultPlan(const FaultPlan &plan)
{
    std::lock_guard lock(m_mutex);
    m_injector.setPlan(plan);
}

LiveState PtyUnit::live() const
{
    std::lock_guard lock(m_mutex);
    return m_responder.live();
}

void PtyUnit::setLive(const LiveState &live)
{
    std::lock_guard lock(m_mutex);
    m_responder.setLive(live);
}

void PtyUnit::setSavingStep(std::uint16_t step)
{
    std::lock_guard lock(m_mutex);
    m_responder.setSavingStep(step);
}

template <typename Change> auto PtyUnit::changeEngine(Change change)
{
    std::lock_guard lock(m_mutex);
    m_responder.followEngine();
    return change(m_responder.engine());
}

Engine PtyUnit::engine() const
{
    std::lock_guard lock(m_mutex);
    return m_responder.engine();
}

void PtyUnit::setEngine(const Engine &engine)
{
    changeEngine([&](Engine &e) { e = engine; });
}

void PtyUnit::followEngine()
{
    changeEngine([](Engine &) {});
}

OperatingPoint PtyUnit::operatingPoint() const
{
    std::lock_guard lock(m_mutex);
    return m_responder.engine().point();
}

void PtyUnit::setOperatingPoint(const OperatingPoint &point)
{
    changeEngine([&](Engine &e) { e.hold(point); });
}

void PtyUnit::setSchedule(const EngineSchedule &schedule)
{
    changeEngine([&](Engine &e) { e.setSchedule(schedule); });
}

double PtyUnit::requirement(FuelMap map, std::size_t cell) const
{
    std::lock_guard lock(m_mutex);
    return m_responder.engine().requirement().at(map, cell);
}

bool PtyUnit::setRequirement(FuelMap map, std::size_t cell, double percent)
{
    return changeEngine([&](Engine &e) { return e.requirement().set(map, cell, percent); });
}

void PtyUnit::resetRequirements()
{
    changeEngine([](Engine &e) { e.requirement().reset(); });
}

UnitFaults PtyUnit::unitFaults() const
{
    std::lock_guard lock(m_mutex);
    return m_responder.engine().faults();
}

void PtyUnit::setUnitFaults(const UnitFaults &faults)
{
    changeEngine([&](Engine &e) { e.setFaults(faults); });
}

void PtyUnit::setLambdaNoise(double amplitudeMv, std::uint64_t seed)
{
    changeEngine([&](Engine &e) { e.setLambdaNoise(amplitudeMv, seed); });
}

void PtyUnit::setTpLambdaMap(FuelMap map)
{
    changeEngine([&](Engine &e) { e.setTpLambdaMap(map); });
}

ResponderCounters PtyUnit::counters() const
{
    std::lock_guard lock(m_mutex);
    return m_responder.counters();
}

std::vector<ReceivedFrame> PtyUnit::frameLog() const
{
    std::lock_guard lock(m_mutex);
    const auto &log = m_responder.log();
    return {log.begin(), log.end()};
}

std::size_t PtyUnit::requestsSeen() const
{
    std::lock_guard lock(m_mutex);
    return m_requestsSeen;
}

std::size_t PtyUnit::discardedBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_assembler.discarded();
}

bool PtyUnit::waitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] {
        return m_requestsSeen >= count || !m_running;
    }) && m_requestsSeen >= count;
}

} // namespace velmora::sim
