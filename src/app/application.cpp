#include "application.h"

#include "ui/dialogs.h"

#include <QMessageBox>

#include <exception>

namespace velmora::app {

bool runGuarded(const std::function<bool()> &work,
                const std::function<void(const QString &)> &report)
{
    try {
        return work();
    } catch (const std::exception &e) {
        report(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        report(QStringLiteral("Unknown error"));
    }
    return false;
}

bool Application::notify(QObject *receiver, QEvent *event)
{
    return runGuarded([&] { return QApplication::notify(receiver, event); }, &showException);
}

void Application::showException(const QString &what)
{
    QMessageBox::critical(nullptr, ui::boxTitle(), what);
}

} // namespace velmora::app
