#include "up_down.h"

#include <QLineEdit>

#include <algorithm>

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
{}

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
    if (m_buddy->text() != text)
        m_buddy->setText(text);
}

void UpDown::step(int direction)
{
    setPosition(position() + direction * m_step);
    emit clicked(direction > 0);
}

} // namespace velmora::ui
