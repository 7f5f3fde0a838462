#pragma once

#include <QApplication>

namespace velmora::app {

// An exception that escapes an event handler is shown in a message box and the event loop
// goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override;

    static void showException(const char *what);
};

} // namespace velmora::app
