#include "unit_session.h"

#include "cli_texts.h"
#include "files/unit_history.h"
#include "link/frame.h"
#include "link/qt_port_catalog.h"
#include "link/qt_serial_port.h"

#include <QString>

namespace velmora::cli {

UnitAccess serialAccess()
{
    return {[](const std::string &device) -> OpenedPort {
                auto port = std::make_unique<link::QtSerialPort>();
                if (link::OpenResult result = port->open(QString::fromStdString(device)); !result)
                    return result;
                return std::unique_ptr<link::SerialPort>(std::move(port));
            },
            [] { return std::make_unique<SteadyTicks>(); }, link::systemPorts,
            files::UnitHistory::defaultFolder()};
}

UnitSession::UnitSession(DeviceImage &image, std::uint8_t language, const UnitAccess &access,
                         bool extendedMonitor)
    : m_openPort(access.openPort), m_ticks(access.makeTicks()),
      m_view(image, language, extendedMonitor), m_link(image, m_view)
{}

link::OpenResult UnitSession::open(const std::string &device)
{
    OpenedPort opened = m_openPort(device);
    if (!opened.port)
        return opened.result.error == link::OpenError::None
                   ? link::OpenResult{link::OpenError::Missing, {}}
                   : opened.result;
    m_link.setPort(opened.port.get());
    m_port = std::move(opened.port);
    m_ticks->restart();
    return {};
}

void UnitSession::tick()
{
    m_ticks->wait();
    m_link.tick();
}

bool UnitSession::transact(const std::function<void(link::Link &)> &start, std::ostream &progress)
{
    const std::uint8_t language = m_view.language();
    auto report = [&] {
        const unsigned block = m_link.commandByte() & link::kBlockMask;
        progress << m_view.message() << ' ' << text::kBlock.pick(language) << ' ' << block + 1
                 << ' ' << text::kOf.pick(language) << ' ' << layout::kBlockCount << '\n';
        progress.flush();
    };
    m_view.forgetEnded();
    start(m_link);
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
    const auto &ended = m_view.ended();
    return ended && ended->outcome == link::Outcome::Ok;
}

std::string UnitSession::failureText() const
{
    if (m_view.box())
        return *m_view.box();
    return m_view.message();
}

} // namespace velmora::cli
