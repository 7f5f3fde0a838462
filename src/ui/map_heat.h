#pragma once

#include <QColor>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>

namespace velmora::ui {

// One injection map as a colour map: ten by ten cells coloured on a scale from the map's smallest
// to its largest value, the value written in each cell where it fits, the speed axis under the
// cells, the row axis beside them and a legend of the scale. Row 0 is drawn at the top, as the
// map page's grid shows it.
class MapHeat : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSide = 10;
    using Cells = std::array<std::uint8_t, kSide * kSide>; // element 10 r + c

    explicit MapHeat(QWidget *parent = nullptr);

    void setCells(const Cells &cells);
    // Labels of the ten columns (speeds) and the ten rows (loads).
    void setAxes(const QStringList &columns, const QStringList &rows);
    void setTitles(const QString &columnTitle, const QString &rowTitle, const QString &legend);
    // The cell the engine runs in, framed; none clears the frame.
    void setLiveCell(std::optional<QPoint> cell); // x column, y row

    int value(int row, int column) const;
    int smallest() const { return m_smallest; }
    int largest() const { return m_largest; }
    std::optional<QPoint> liveCell() const { return m_live; }
    // The colour a value gets on the scale of the map as it is now.
    QColor colourOf(int value) const;
    // The scale itself, from 0 (smallest) to 1 (largest).
    static QColor scaleColour(double fraction);
    // Where a cell is drawn at the widget's present size.
    QRectF cellRect(int row, int column) const;

    QSize sizeHint() const override { return {520, 420}; }
    QSize minimumSizeHint() const override { return {260, 220}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The room the labels take around the cells.
    struct Margins {
        int rowLabels, legendLabels, left, right, top, bottom;
    };
    Margins margins() const;
    QRect cellArea() const;

    Cells m_cells{};
    int m_smallest = 0;
    int m_largest = 0;
    QStringList m_columns;
    QStringList m_rows;
    QString m_columnTitle;
    QString m_rowTitle;
    QString m_legendTitle;
    std::optional<QPoint> m_live;
};

} // namespace velmora::ui
