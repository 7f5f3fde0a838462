#pragma once

#include <QColor>
#include <QWidget>

namespace velmora::ui {

// A horizontal bar gauge without text: the share progress / (max - min) is painted in the fore
// colour on the back colour. A progress outside the range is held at its end.
class Gauge : public QWidget {
    Q_OBJECT
public:
    explicit Gauge(QWidget *parent = nullptr);

    void setRange(int min, int max);
    void setProgress(int value);
    void setForeColor(const QColor &color);
    void setBackColor(const QColor &color);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int progress() const { return m_progress; }
    QColor foreColor() const { return m_fore; }
    QColor backColor() const { return m_back; }

    QSize sizeHint() const override { return {200, 14}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_min = 0;
    int m_max = 100;
    int m_progress = 0;
    QColor m_fore = Qt::black;
    QColor m_back = Qt::white;
};

} // namespace velmora::ui
