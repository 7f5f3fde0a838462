// "Open log...": a ride log in a viewer window of its own.
#include "tformhlav.h"

#include "controls.h"
#include "dialogs.h"
#include "log_viewer.h"
#include "texts.h"

#include "log/log_texts.h"
#include "log/ride_log.h"
#include "model/cells.h"

#include <QLabel>

namespace velmora::ui {

void TFormHlav::MenuOpenLogClick()
{
    const QString path = m_dialogs.openLogName(
        this, QString::fromStdString(m_options.logFolder.string()), m_held.language);
    if (!path.isEmpty())
        openLog(path);
}

std::optional<log::RideLog> TFormHlav::readLog(const QString &path)
{
    log::LogReadResult read = log::readRideLog(path.toStdString());
    if (!read.log)
        m_dialogs.inform(this, QString::fromStdString(log::text::problemMessage(
                                   read, path.toStdString(), m_held.language)));
    return std::move(read.log);
}

bool TFormHlav::openLog(const QString &path)
{
    std::optional<log::RideLog> read = readLog(path);
    if (!read)
        return false;
    auto *viewer = new LogViewer(std::move(*read), path, logMapAxes(), m_held.language, this);
    connect(viewer, &LogViewer::analyseRequested, this,
            [this, viewer] { openAnalysis(viewer->rideLog(), viewer->fileName()); });
    m_logViewers.removeAll(nullptr);
    m_logViewers.append(viewer);
    viewer->show();
    viewer->raise();
    return true;
}

LogMapAxes TFormHlav::logMapAxes() const
{
    // The first speed cell of each map's axis, in the order TP14, TP23, IAP; the row captions
    // follow one another, ten to a map.
    constexpr std::size_t kAxisCells[] = {cell::kRpmJetTp, cell::kRpmJetTpi, cell::kRpmJetIap};
    LogMapAxes axes;
    for (std::size_t m = 0; m < 3; ++m) {
        for (std::size_t i = 0; i < 10; ++i) {
            axes.rows[m] << m_grid->rowLabel(10 * m + i)->text();
            axes.columns[m] << m_grid->edit(kAxisCells[m] + i)->text();
        }
    }
    return axes;
}

} // namespace velmora::ui
