#pragma once

#include "arrow_buttons.h"

#include <QLocale>

class QLineEdit;
class QWheelEvent;

namespace velmora::ui {

// Text of a cell value: plain digits, or with the locale's digit grouping.
QString formatCellValue(int value, bool grouped, const QLocale &locale = QLocale());
// A whole number in plain or grouped digits; false for anything else.
bool parseCellValue(const QString &text, int &value, const QLocale &locale = QLocale());

// The up-down control of a cell. It holds the cell's value as its position, keeps it within
// minimum and maximum, and takes it from the text of its associated text box: a text that is not
// a whole number within the range leaves the previous position in force.
// While the text box has the keyboard focus, the Up and Down keys and the wheel over the text box
// or the buttons press the buttons. The wheel over a cell without the focus does nothing at all,
// so that a turn meant to scroll past a cell never changes it.
class UpDown : public ArrowButtons {
    Q_OBJECT
public:
    UpDown(QLineEdit *buddy, int min, int max, int step, bool grouped, QWidget *parent = nullptr);

    // The position as the text box now states it.
    int position();
    // Sets the position (kept within the range) and writes it into the text box.
    void setPosition(int value);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    int increment() const { return m_step; }
    bool grouped() const { return m_grouped; }
    QLineEdit *buddy() const { return m_buddy; }

signals:
    // A button press changed the position; `up` tells which half.
    void clicked(bool up);

protected:
    void step(int direction) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void turnWheel(QWheelEvent *event);

    QLineEdit *m_buddy;
    int m_min;
    int m_max;
    int m_step;
    bool m_grouped;
    int m_position;
    int m_wheelRemainder = 0; // a fine wheel's turns until they add up to a notch
};

} // namespace velmora::ui
