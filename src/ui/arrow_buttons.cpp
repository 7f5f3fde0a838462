#include "arrow_buttons.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace velmora::ui {

namespace {
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 80;
} // namespace

ArrowButtons::ArrowButtons(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(&m_repeat, &QTimer::timeout, this, &ArrowButtons::repeat);
}

QSize ArrowButtons::sizeHint() const
{
    return {12, 20};
}
QSize ArrowButtons::minimumSizeHint() const
{
    return {11, 14};
}

void ArrowButtons::press(int direction)
{
    step(direction);
    if (direction > 0)
        emit upClicked();
    else
        emit downClicked();
}

void ArrowButtons::step(int) {}

void ArrowButtons::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int half = height() / 2;
    const QRect halves[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = halves[i];
        const bool sunken = (i == 0 && m_pressed > 0) || (i == 1 && m_pressed < 0);
        button.state |= sunken ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);

        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = halves[i].adjusted(2, 1, -2, -1);
        style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
                               &arrow, &painter, this);
    }
}

void ArrowButtons::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    m_pressed = event->position().y() < height() / 2 ? 1 : -1;
    update();
    press(m_pressed);
    m_repeat.start(kFirstRepeatMs);
}

void ArrowButtons::mouseReleaseEvent(QMouseEvent *)
{
    m_repeat.stop();
    m_pressed = 0;
    update();
}

void ArrowButtons::repeat()
{
    if (m_pressed == 0 || !isEnabled()) {
        m_repeat.stop();
        return;
    }
    m_repeat.start(kRepeatMs);
    press(m_pressed);
}

} // namespace velmora::ui
