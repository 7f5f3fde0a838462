#include "map_heat.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velmora::ui {

namespace {

// From cool to hot: a lean cell reads blue, a rich one red.
constexpr std::array<QRgb, 5> kStops{0xff2c7bb6, 0xff00a6ca, 0xff90eb9d, 0xfffdae61, 0xffd7191c};

constexpr int kGap = 4;
constexpr int kLegendBar = 16;

QColor blend(QRgb a, QRgb b, double t)
{
    const auto mix = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return QColor(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
}

// Dark text on a light cell, light text on a dark one.
QColor textOn(const QColor &fill)
{
    return qGray(fill.rgb()) > 140 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace

MapHeat::MapHeat(QWidget *parent) : QWidget(parent) {}

void MapHeat::setCells(const Cells &cells)
{
    m_cells = cells;
    const auto [lo, hi] = std::minmax_element(cells.begin(), cells.end());
    m_smallest = *lo;
    m_largest = *hi;
    update();
}

void MapHeat::setAxes(const QStringList &columns, const QStringList &rows)
{
    m_columns = columns;
    m_rows = rows;
    update();
}

void MapHeat::setTitles(const QString &columnTitle, const QString &rowTitle, const QString &legend)
{
    m_columnTitle = columnTitle;
    m_rowTitle = rowTitle;
    m_legendTitle = legend;
    update();
}

void MapHeat::setLiveCell(std::optional<QPoint> cell)
{
    if (cell == m_live)
        return;
    m_live = cell;
    update();
}

int MapHeat::value(int row, int column) const
{
    return m_cells[static_cast<std::size_t>(kSide * row + column)];
}

QColor MapHeat::scaleColour(double fraction)
{
    const double f = std::clamp(fraction, 0.0, 1.0) * (kStops.size() - 1);
    const auto k = std::min(static_cast<std::size_t>(f), kStops.size() - 2);
    return blend(kStops[k], kStops[k + 1], f - static_cast<double>(k));
}

QColor MapHeat::colourOf(int value) const
{
    // A flat map has nothing to tell apart: every cell takes the middle of the scale.
    if (m_largest == m_smallest)
        return scaleColour(0.5);
    return scaleColour(double(value - m_smallest) / double(m_largest - m_smallest));
}

MapHeat::Margins MapHeat::margins() const
{
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();
    Margins m{};
    for (const QString &r : m_rows)
        m.rowLabels = std::max(m.rowLabels, fm.horizontalAdvance(r));
    m.legendLabels = std::max({fm.horizontalAdvance(QString::number(m_largest)),
                               fm.horizontalAdvance(QString::number(m_smallest)), line});
    m.left = kGap + line + kGap + m.rowLabels + kGap;
    m.right = kGap * 3 + kLegendBar + kGap + m.legendLabels;
    m.top = kGap + line + kGap; // room for the legend's title
    m.bottom = kGap + line + kGap + line + kGap;
    return m;
}

QRect MapHeat::cellArea() const
{
    const Margins m = margins();
    return {m.left, m.top, std::max(width() - m.left - m.right, kSide),
            std::max(height() - m.top - m.bottom, kSide)};
}

QRectF MapHeat::cellRect(int row, int column) const
{
    const QRect cells = cellArea();
    const double cw = cells.width() / double(kSide);
    const double ch = cells.height() / double(kSide);
    return {cells.left() + column * cw, cells.top() + row * ch, cw, ch};
}

void MapHeat::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));
    const QFontMetrics fm = fontMetrics();
    const int line = fm.height();
    const Margins m = margins();
    const QRect cells = cellArea();
    const double cw = cells.width() / double(kSide);
    const double ch = cells.height() / double(kSide);

    const bool valuesFit = fm.horizontalAdvance(QStringLiteral("250")) + 4 <= cw && line <= ch;
    for (int r = 0; r < kSide; ++r) {
        for (int c = 0; c < kSide; ++c) {
            const QColor fill = colourOf(value(r, c));
            const QRectF box = cellRect(r, c);
            p.fillRect(box, fill);
            if (valuesFit) {
                p.setPen(textOn(fill));
                p.drawText(box, Qt::AlignCenter, QString::number(value(r, c)));
            }
        }
    }
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(QRectF(cells).adjusted(0, 0, -1, -1));

    if (m_live) {
        const QRectF box = cellRect(m_live->y(), m_live->x()).adjusted(1.5, 1.5, -1.5, -1.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 3));
        p.drawRect(box);
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(box);
    }

    // The axes: speeds under the columns, loads beside the rows, each with its title.
    p.setPen(palette().color(QPalette::WindowText));
    for (int c = 0; c < kSide && c < m_columns.size(); ++c) {
        const QRectF box = cellRect(kSide - 1, c);
        p.drawText(QRectF(box.left() - cw, cells.bottom() + kGap, 3 * cw, line), Qt::AlignCenter,
                   m_columns[c]);
    }
    p.drawText(QRect(cells.left(), cells.bottom() + kGap * 2 + line, cells.width(), line),
               Qt::AlignCenter, m_columnTitle);
    for (int r = 0; r < kSide && r < m_rows.size(); ++r) {
        const QRectF box = cellRect(r, 0);
        p.drawText(QRectF(m.left - kGap - m.rowLabels, box.top(), m.rowLabels, ch),
                   Qt::AlignRight | Qt::AlignVCenter, m_rows[r]);
    }
    p.save();
    p.translate(kGap, cells.center().y());
    p.rotate(-90);
    p.drawText(QRect(-cells.height() / 2, 0, cells.height(), line), Qt::AlignCenter, m_rowTitle);
    p.restore();

    // The legend: the scale from the largest value at the top to the smallest at the bottom.
    const QRect bar(cells.right() + kGap * 3, cells.top(), kLegendBar, cells.height());
    QLinearGradient gradient(bar.topLeft(), bar.bottomLeft());
    for (std::size_t k = 0; k < kStops.size(); ++k)
        gradient.setColorAt(1.0 - double(k) / double(kStops.size() - 1), QColor(kStops[k]));
    p.fillRect(bar, gradient);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(bar.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::WindowText));
    const int labelsLeft = bar.right() + kGap;
    p.drawText(QRect(labelsLeft, bar.top(), m.legendLabels, line), Qt::AlignLeft,
               QString::number(m_largest));
    p.drawText(QRect(labelsLeft, bar.bottom() - line, m.legendLabels, line), Qt::AlignLeft,
               QString::number(m_smallest));
    p.drawText(QRect(0, kGap, width() - kGap, line), Qt::AlignRight, m_legendTitle);
}

} // namespace velmora::ui
