#include "unit_session.h"

#include "cli_texts.h"
#include "link/frame.h"
#include "link/link_texts.h"

#include <QString>
#include <thread>

namespace velmora::cli {

UnitSession::UnitSession(DeviceImage &image, std::uint8_t language, bool extendedMonitor)
    : m_view(image, language, extendedMonitor), m_link(image, m_view),
      m_next(std::chrono::steady_clock::now())
{}

bool UnitSession::open(const std::string &device)
{
    if (!m_port.open(QString::fromStdString(device)))
        return false;
    m_link.setPort(&m_port);
    m_next = std::chrono::steady_clock::now();
    return true;
}

void UnitSession::tick()
{
    m_next += kTick;
    const auto now = std::chrono::steady_clock::now();
    if (m_next < now)
        m_next = now; // a late tick does not make the next ones come faster
    std::this_thread::sleep_until(m_next);
    m_link.tick();
}

void UnitSession::run(void (link::Link::*start)(), std::ostream &progress)
{
    const std::uint8_t language = m_view.language();
    auto report = [&] {
        const unsigned block = m_link.commandByte() & link::kBlockMask;
        progress << m_view.message() << ' ' << text::kBlock.pick(language) << ' ' << block + 1
                 << ' ' << text::kOf.pick(language) << ' ' << layout::kBlockCount << '\n';
        progress.flush();
    };
    (m_link.*start)();
    link::TransferMode mode = m_link.transferMode();
    std::uint8_t command = m_link.commandByte();
    report();
    while (m_link.transferMode() != link::TransferMode::Idle) {
        tick();
        if (m_link.transferMode() == link::TransferMode::Idle)
            break;
        if (m_link.transferMode() != mode || m_link.commandByte() != command) {
            mode = m_link.transferMode();
            command = m_link.commandByte();
            report();
        }
    }
}

bool UnitSession::transact(void (link::Link::*start)(), std::ostream &progress)
{
    run(start, progress);
    if (m_view.box())
        return false;
    if (m_link.programDone())
        return true;
    return m_view.message() == link::text::kVerifyOk.pick(m_view.language());
}

bool UnitSession::readSet(std::ostream &progress)
{
    run(&link::Link::readWithoutVerify, progress);
    return m_link.setRead();
}

std::string UnitSession::failureText() const
{
    if (m_view.box())
        return *m_view.box();
    return m_view.message();
}

} // namespace velmora::cli
