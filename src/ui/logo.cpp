#include "logo.h"

#include <QEvent>
#include <QIconEngine>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

namespace velmora::ui {

namespace {

constexpr QSize kLogoSize(234, 103);

void drawBadge(QPainter &p, const QRectF &area, qreal radius)
{
    QLinearGradient fill(area.topLeft(), area.bottomRight());
    fill.setColorAt(0, QColor(0x12, 0x2a, 0x4c));
    fill.setColorAt(1, QColor(0x2f, 0x6d, 0xb5));
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(area, radius, radius);
}

// The gauge: an arc of 240 degrees open at the bottom and a needle from its centre, in a square.
void drawGauge(QPainter &p, const QRectF &square)
{
    const qreal unit = square.width() / 66;
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xb0, 0x20), std::max(1.5, 4 * unit), Qt::SolidLine, Qt::RoundCap));
    p.drawArc(square, 210 * 16, -240 * 16);
    const QPointF centre = square.center();
    p.drawLine(centre, centre + QPointF(23 * unit, -19 * unit));
}

class LogoIconEngine : public QIconEngine {
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal side = std::min(rect.width(), rect.height());
        const QRectF square(rect.x() + (rect.width() - side) / 2,
                            rect.y() + (rect.height() - side) / 2, side, side);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        drawBadge(*painter, square, side * 0.18);
        const qreal margin = side * 0.14;
        drawGauge(*painter, square.adjusted(margin, margin, -margin, -margin));
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
            sizes << QSize(side, side);
        return sizes;
    }

    QIconEngine *clone() const override { return new LogoIconEngine; }
    QString key() const override { return QStringLiteral("velmora-logo"); }
};

} // namespace

QPixmap logoPicture(qreal devicePixelRatio)
{
    QPixmap pixmap(kLogoSize * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    // The painter works in the layout's pixels; the pixmap's ratio scales them.
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawBadge(p, QRectF(1, 1, 232, 101), 14);
    drawGauge(p, QRectF(14, 18, 66, 66));
    QFont big(QStringLiteral("DejaVu Sans"), 17, QFont::Bold);
    p.setFont(big);
    p.setPen(Qt::white);
    p.drawText(QRectF(88, 16, 140, 40), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("VELMORA"));
    QFont small(QStringLiteral("DejaVu Sans"), 12);
    p.setFont(small);
    p.setPen(QColor(0xff, 0xb0, 0x20));
    p.drawText(QRectF(88, 54, 140, 30), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("05 ignition"));
    return pixmap;
}

QIcon logoIcon()
{
    return QIcon(new LogoIconEngine);
}

LogoLabel::LogoLabel(QWidget *parent) : QLabel(parent)
{
    setFixedSize(kLogoSize);
    followPixelRatio();
}

bool LogoLabel::event(QEvent *event)
{
    // A window moved to a screen of another pixel ratio tells its widgets so.
    if (event->type() == QEvent::ScreenChangeInternal || event->type() == QEvent::Show)
        followPixelRatio();
    return QLabel::event(event);
}

void LogoLabel::paintEvent(QPaintEvent *event)
{
    // The screen's own ratio may change without the window changing screens.
    followPixelRatio();
    QLabel::paintEvent(event);
}

void LogoLabel::followPixelRatio()
{
    const qreal ratio = devicePixelRatioF();
    if (pixmap().isNull() || !qFuzzyCompare(pixmap().devicePixelRatio(), ratio))
        setPixmap(logoPicture(ratio));
}

} // namespace velmora::ui
