#pragma once

#include <QApplication>
#include <QSpontaneKeyEvent>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>

namespace velmora::test {

inline constexpr int kNotch = QWheelEvent::DefaultDeltasPerStep;

// A turn of the wheel over the middle of `w` as the window system delivers it: to the window,
// which hands it to the control under the pointer and on to its parents while none takes it.
inline void turnWheel(QWidget *w, int angle)
{
    QWidget *top = w->window();
    const QPointF at = w->mapTo(top, QRectF(w->rect()).center());
    QWheelEvent wheel(at, top->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel);
    QApplication::sendEvent(top->windowHandle(), &wheel);
}

} // namespace velmora::test
