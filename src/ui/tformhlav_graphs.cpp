// The graphs window beside the main window.
#include "tformhlav.h"

#include "graphs_window.h"

#include <QScreen>

namespace velmora::ui {

void TFormHlav::MenuGraphsClick()
{
    if (!m_graphs) {
        m_graphs = new GraphsWindow(this);
        m_graphs->setLanguage(m_held.language);
        // Beside the main window where the screen has room, else over its right part.
        const QRect frame = frameGeometry();
        const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
        const int room = screen.isValid() ? screen.right() - frame.right() : m_graphs->width();
        const int x = room >= m_graphs->width()
                          ? frame.right() + 1
                          : std::max(screen.left(), screen.right() - m_graphs->width());
        m_graphs->move(x, frame.top());
    }
    m_graphs->show();
    m_graphs->raise();
    m_graphs->activateWindow();
    followGraphs();
}

void TFormHlav::followGraphs()
{
    if (m_graphs && m_graphs->isVisible())
        m_graphs->follow(m_image);
}

} // namespace velmora::ui
