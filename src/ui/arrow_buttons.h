#pragma once

#include <QTimer>
#include <QWidget>

namespace velmora::ui {

// A pair of small arrow buttons stacked vertically, painted as one control. A press on the upper
// half steps up, on the lower half down; holding the button repeats.
class ArrowButtons : public QWidget {
    Q_OBJECT
public:
    explicit ArrowButtons(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // What a press on the upper (+1) or lower (-1) half does; also usable from tests.
    void press(int direction);

signals:
    void upClicked();
    void downClicked();

protected:
    virtual void step(int direction);
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void repeat();

    QTimer m_repeat;
    int m_pressed = 0; // +1 upper half held, -1 lower half held
};

} // namespace velmora::ui
