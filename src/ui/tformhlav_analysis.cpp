// "Map analysis...": a ride log's whole-map proposals reviewed in a window of their own, and
// applied into the window's set as one undo step.
#include "tformhlav.h"

#include "analysis_window.h"
#include "dialogs.h"

namespace velmora::ui {

void TFormHlav::MenuAnalysisClick()
{
    const QString path = m_dialogs.openLogName(
        this, QString::fromStdString(m_options.logFolder.string()), m_held.language);
    if (path.isEmpty())
        return;
    if (std::optional<log::RideLog> read = readLog(path))
        openAnalysis(std::move(*read), path);
}

AnalysisWindow *TFormHlav::openAnalysis(log::RideLog rideLog, const QString &path)
{
    auto *window = new AnalysisWindow(
        std::move(rideLog), path, logMapAxes(), [this]() -> const DeviceImage & { return m_image; },
        m_held.language, this);
    connect(window, &AnalysisWindow::applyRequested, this, [this, window] {
        if (!editingEventAllowed() || !window->stillCurrent(m_image))
            return;
        // Through the after-change step like any edit: one undo step, shown at once, and sent
        // when Programming after change is ticked.
        if (window->applyTo(m_image) > 0)
            afterChangeStep(&kStepAnalysis);
    });
    m_analysisWindows.removeAll(nullptr);
    m_analysisWindows.append(window);
    window->show();
    window->raise();
    return window;
}

} // namespace velmora::ui
