#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace velmora::ui {

// A check box that reports the release of the mouse button over it, after it has changed its
// state. A change from the keyboard reports nothing.
class MouseUpCheckBox : public QCheckBox {
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

signals:
    void mouseUp();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// The text box of a cell. It reports a click, the focus leaving it for another control of the
// window, and the Enter key, which it swallows. Undo and Redo keys take back its own typing while
// it holds some; otherwise they are left to the window.
class CellEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    // Sets the text the window holds for the cell: typing before it is no longer the box's own
    // to undo. The cursor and the selection stay where they were when the text does not change.
    void showText(const QString &text);

signals:
    void clicked();
    void left();
    void enterPressed();

protected:
    bool event(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

// A drop-down list that changes only by a deliberate choice: the wheel turning over it neither
// picks another item nor takes the focus from the cell being edited.
class NoWheelComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit NoWheelComboBox(QWidget *parent = nullptr);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

} // namespace velmora::ui
