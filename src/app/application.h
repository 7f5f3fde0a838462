#pragma once

#include <QApplication>

#include <functional>

namespace velmora::app {

// Runs `work`; an exception it throws is handed to `report` as text instead of going further.
// Returns what `work` returned, or false after an exception.
bool runGuarded(const std::function<bool()> &work,
                const std::function<void(const QString &)> &report);

// An exception that escapes an event handler is shown in a message box and the event loop
// goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override;

    static void showException(const QString &what);
};

} // namespace velmora::app
