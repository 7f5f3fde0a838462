#pragma once

#include <QIcon>
#include <QLabel>
#include <QPixmap>

namespace velmora::ui {

// The logo at its layout size of 234 x 103, drawn for a screen of the given pixel ratio.
QPixmap logoPicture(qreal devicePixelRatio = 1.0);

// The logo's gauge on its badge as the window icon, drawn afresh at every size asked for.
QIcon logoIcon();

// ImageLogo: the logo drawn again whenever the window's pixel ratio changes, so that it stays
// sharp on a high-resolution screen.
class LogoLabel : public QLabel {
public:
    explicit LogoLabel(QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void followPixelRatio();
};

} // namespace velmora::ui
