#include "controls.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace velmora::ui {

void MouseUpCheckBox::mouseReleaseEvent(QMouseEvent *event)
{
    QCheckBox::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit mouseUp();
}

void CellEdit::showText(const QString &text)
{
    if (text != this->text()) {
        setText(text);
        return;
    }
    if (!isUndoAvailable() && !isRedoAvailable())
        return;
    // Setting the text is the one way to forget the typing; it moves the cursor to the end.
    const int cursor = cursorPosition();
    const int start = selectionStart();
    const int end = selectionEnd();
    setText(text);
    if (start < 0)
        setCursorPosition(cursor);
    else if (cursor == start)
        setSelection(end, start - end);
    else
        setSelection(start, end - start);
}

bool CellEdit::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo = key->matches(QKeySequence::Redo) ||
                          key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y);
        // Left unaccepted, the key reaches the window's Edit menu.
        if ((undo && !isUndoAvailable()) || (redo && !isRedoAvailable()))
            return false;
    }
    return QLineEdit::event(event);
}

void CellEdit::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void CellEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Switching to another window or opening a menu is not leaving the cell.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
        emit left();
}

void CellEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        emit enterPressed();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

NoWheelComboBox::NoWheelComboBox(QWidget *parent) : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void NoWheelComboBox::wheelEvent(QWheelEvent *event)
{
    // Taken, so that it reaches no control behind the list either.
    event->accept();
}

} // namespace velmora::ui
