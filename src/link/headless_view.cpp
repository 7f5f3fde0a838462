#include "headless_view.h"

#include "model/parameter_set.h"

namespace velmora::link {

void HeadlessView::consistencyPass()
{
    velmora::consistencyPass(m_image);
}

void HeadlessView::setMessage(const std::string &text, bool error, bool)
{
    m_message = text;
    m_messageError = error;
}

void HeadlessView::showMonitor(const MonitorDisplay &display)
{
    m_display = display;
    ++m_monitorCount;
}

} // namespace velmora::link
