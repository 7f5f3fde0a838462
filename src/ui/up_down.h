#pragma once

#include "arrow_buttons.h"

#include <QLocale>

class QLineEdit;

namespace velmora::ui {

// Text of a cell value: plain digits, or with the locale's digit grouping.
QString formatCellValue(int value, bool grouped, const QLocale &locale = QLocale());
// A whole number in plain or grouped digits; false for anything else.
bool parseCellValue(const QString &text, int &value, const QLocale &locale = QLocale());

// The up-down control of a cell. It holds the cell's value as its position, keeps it within
// minimum and maximum, and takes it from the text of its associated text box: a text that is not
// a whole number within the range leaves the previous position in force.
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

private:
    QLineEdit *m_buddy;
    int m_min;
    int m_max;
    int m_step;
    bool m_grouped;
    int m_position;
};

} // namespace velmora::ui
