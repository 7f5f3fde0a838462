#include "monitor_printer.h"

#include "cli_texts.h"

namespace velmora::cli {
namespace {

const char *colourSuffix(std::optional<link::Colour> colour)
{
    if (!colour)
        return "";
    switch (*colour) {
    case link::Colour::Red:
        return " [red]";
    case link::Colour::Yellow:
        return " [yellow]";
    case link::Colour::Lime:
        return " [lime]";
    default:
        return "";
    }
}

} // namespace

MonitorPrinter::MonitorPrinter(std::ostream &out, std::uint8_t language, bool extended, bool csv)
    : m_out(out), m_language(language), m_extended(extended), m_csv(csv), m_format(extended)
{}

void MonitorPrinter::begin()
{
    if (!m_csv)
        return;
    m_out << m_format.header();
    m_out.flush();
}

void MonitorPrinter::print(const link::MonitorDisplay &display,
                           std::chrono::system_clock::time_point when)
{
    const auto &columns = log::monitorColumns();
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto &colour = (display.*columns[i].label).colour;
        if (colour)
            m_colours[i] = colour;
    }
    if (m_csv)
        printRow(display, when);
    else
        printLabels(display);
    m_out.flush();
}

void MonitorPrinter::printLabels(const link::MonitorDisplay &display)
{
    const auto &columns = log::monitorColumns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        m_out << (display.*columns[i].label).text << colourSuffix(m_colours[i]) << '\n';
    if (m_extended)
        m_out << display.programmingCount.text << '\n';
    if (display.versionVisible)
        m_out << display.version << '\n';
    if (display.dataErrorVisible)
        m_out << text::kDataError.pick(m_language) << '\n';
    m_out << '\n';
}

void MonitorPrinter::printRow(const link::MonitorDisplay &display,
                              std::chrono::system_clock::time_point when)
{
    m_out << m_format.monitorRow(display, when);
}

} // namespace velmora::cli
