// Ride logs written by the window.
#include "tformhlav.h"

#include "dialogs.h"
#include "texts.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include <cerrno>
#include <cstring>

namespace velmora::ui {
namespace {

QString elapsedText(std::chrono::steady_clock::duration elapsed)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

void TFormHlav::buildLogItems(QMenu *tools)
{
    tools->addSeparator();
    m_logItem = tools->addAction(pick(text::kStartLog, m_held.language));
    m_logItem->setObjectName(QStringLiteral("MenuLog"));
    m_logItem->setCheckable(true);
    m_logItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(m_logItem, &QAction::triggered, this, &TFormHlav::MenuLogClick);
    m_logToItem = tools->addAction(QStringLiteral("Log to file..."));
    m_logToItem->setObjectName(QStringLiteral("MenuLogTo"));
    connect(m_logToItem, &QAction::triggered, this, &TFormHlav::MenuLogToClick);

    // Right of the hints, which the status bar keeps showing on its left.
    m_logStatus = new QLabel(this);
    m_logStatus->setObjectName(QStringLiteral("LogStatus"));
    statusBar()->addPermanentWidget(m_logStatus);
    m_logStatus->hide();
}

void TFormHlav::MenuLogClick()
{
    if (m_logSink) {
        stopLog();
        return;
    }
    if (m_options.logFolder.empty()) {
        logProblem(pick(text::kLogNoFolder, m_held.language));
        return;
    }
    startLog(log::createLogIn(m_options.logFolder, std::chrono::system_clock::now()));
}

void TFormHlav::MenuLogToClick()
{
    const std::filesystem::path suggested =
        m_options.logFolder / log::logFileName(std::chrono::system_clock::now());
    const QString path =
        m_dialogs.logFileName(this, QString::fromStdString(suggested.string()), m_held.language);
    if (path.isEmpty())
        return;
    stopLog();
    startLog(log::openLogFile(path.toStdString()));
}

void TFormHlav::startLog(const log::OpenedLog &opened)
{
    if (opened.fd < 0) {
        logProblem(pick(text::kLogNotStarted, m_held.language)
                       .arg(QString::fromStdString(opened.path.string()), reason(opened.error)));
        return;
    }
    m_logSink = std::make_unique<log::LogSink>(opened.fd);
    m_logPath = opened.path;
    m_logStart = m_options.clock ? m_options.clock() : std::chrono::steady_clock::now();
    m_logRows = 0;
    m_logSink->append(m_logFormat.header());
    m_logStatus->show();
    updateLogItems();
}

void TFormHlav::stopLog()
{
    if (m_logSink)
        m_logSink->close();
    m_logSink.reset();
    m_logStatus->hide();
    updateLogItems();
}

void TFormHlav::logRow(const std::string &row)
{
    if (!m_logSink)
        return;
    m_logSink->append(row);
    ++m_logRows;
}

void TFormHlav::cellTuned(std::size_t offset, std::uint8_t from, std::uint8_t to)
{
    if (const auto event = log::tuningEvent(offset, from, to))
        logRow(m_logFormat.eventRow(std::chrono::system_clock::now(), *event));
}

void TFormHlav::watchLog()
{
    if (!m_logSink)
        return;
    if (const int error = m_logSink->failure()) {
        const QString path = QString::fromStdString(m_logPath.string());
        stopLog();
        logProblem(error == ENOSPC
                       ? pick(text::kLogDiskFull, m_held.language).arg(path)
                       : pick(text::kLogWriteFailed, m_held.language).arg(path, reason(error)));
        return;
    }
    const auto now = m_options.clock ? m_options.clock() : std::chrono::steady_clock::now();
    const QString status = pick(text::kLogStatus, m_held.language)
                               .arg(elapsedText(now - m_logStart), QString::number(m_logRows));
    if (m_logStatus->text() != status)
        m_logStatus->setText(status);
}

void TFormHlav::updateLogItems()
{
    m_logItem->setChecked(m_logSink != nullptr);
    m_logItem->setText(pick(m_logSink ? text::kStopLog : text::kStartLog, m_held.language));
    watchLog();
}

void TFormHlav::logProblem(const QString &text)
{
    updateLogItems();
    setMessage(text.toStdString(), true, true);
    m_link->holdMessageLine();
}

} // namespace velmora::ui
