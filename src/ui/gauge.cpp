#include "gauge.h"

#include <QPainter>

#include <algorithm>

namespace velmora::ui {

Gauge::Gauge(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Gauge::setRange(int min, int max)
{
    m_min = min;
    m_max = std::max(min, max);
    setProgress(m_progress);
}

void Gauge::setProgress(int value)
{
    const int clamped = std::clamp(value, m_min, m_max);
    if (clamped != m_progress) {
        m_progress = clamped;
        update();
    }
}

void Gauge::setForeColor(const QColor &color)
{
    m_fore = color;
    update();
}

void Gauge::setBackColor(const QColor &color)
{
    m_back = color;
    update();
}

void Gauge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(frame, m_back);
    const int span = m_max - m_min;
    if (span > 0) {
        const int filled = (frame.width() - 1) * (m_progress - m_min) / span;
        painter.fillRect(QRect(frame.left() + 1, frame.top() + 1, filled, frame.height() - 1),
                         m_fore);
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);
}

} // namespace velmora::ui
