#include "up_down.h"

#include "controls.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace velmora::ui {

QString formatCellValue(int value, bool grouped, const QLocale &locale)
{
    if (!grouped)
        return QString::number(value);
    QLocale withGroups = locale;
    withGroups.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return withGroups.toString(value);
}

bool parseCellValue(const QString &text, int &value, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    int v = trimmed.toInt(&ok);
    if (!ok) {
        QLocale withGroups = locale;
        withGroups.setNumberOptions(locale.numberOptions() & ~QLocale::RejectGroupSeparator);
        v = withGroups.toInt(trimmed, &ok);
    }
    if (ok)
        value = v;
    return ok;
}

UpDown::UpDown(QLineEdit *buddy, int min, int max, int step, bool grouped, QWidget *parent)
    : ArrowButtons(parent), m_buddy(buddy), m_min(min), m_max(max), m_step(step),
      m_grouped(grouped), m_position(min)
{
    m_buddy->installEventFilter(this);
}

int UpDown::position()
{
    int typed = 0;
    if (parseCellValue(m_buddy->text(), typed) && typed >= m_min && typed <= m_max)
        m_position = typed;
    return m_position;
}

void UpDown::setPosition(int value)
{
    m_position = std::clamp(value, m_min, m_max);
    const QString text = formatCellValue(m_position, m_grouped);
    if (auto *cell = qobject_cast<CellEdit *>(m_buddy))
        cell->showText(text);
    else if (m_buddy->text() != text)
        m_buddy->setText(text);
}

void UpDown::step(int direction)
{
    setPosition(position() + direction * m_step);
    emit clicked(direction > 0);
}

bool UpDown::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_buddy)
        return false;
    if (event->type() == QEvent::Wheel) {
        turnWheel(static_cast<QWheelEvent *>(event));
        return true;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (isEnabled())
        press(key->key() == Qt::Key_Up ? 1 : -1);
    return true;
}

void UpDown::wheelEvent(QWheelEvent *event)
{
    turnWheel(event);
}

void UpDown::turnWheel(QWheelEvent *event)
{
    // Taken either way: a turn that passed on to the page could reach some other control.
    event->accept();
    if (!m_buddy->hasFocus() || !isEnabled()) {
        m_wheelRemainder = 0;
        return;
    }
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRemainder -= notches * QWheelEvent::DefaultDeltasPerStep;
    for (int n = 0; n < std::abs(notches); ++n)
        press(notches > 0 ? 1 : -1);
}

} // namespace velmora::ui
