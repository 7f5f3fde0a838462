#include "application.h"

#include <QMessageBox>

#include <exception>

namespace velmora::app {

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        showException(e.what());
    } catch (...) {
        showException("Unknown error");
    }
    return false;
}

void Application::showException(const char *what)
{
    QMessageBox::critical(nullptr, applicationDisplayName(), QString::fromLocal8Bit(what));
}

} // namespace velmora::app
