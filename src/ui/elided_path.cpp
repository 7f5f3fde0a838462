#include "elided_path.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace velmora::ui {

ElidedPath::ElidedPath(QLabel *label, const QString &head, const QString &path)
    : QObject(label), m_label(label), m_head(head), m_path(path), m_shown(head + path),
      m_ownHint(label->toolTip())
{
    m_label->setText(m_shown);
    m_label->setToolTip(m_path);
    // Let the window's layout give the label what room it has before measuring it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (!fits())
        fit();
    m_label->installEventFilter(this);
}

void ElidedPath::leave()
{
    m_label->removeEventFilter(this);
    m_label->setToolTip(m_ownHint);
    deleteLater();
}

bool ElidedPath::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_label)
        return false;
    if (m_label->text() != m_shown)
        leave(); // a new message: its hint must not name the old file
    else if (event->type() == QEvent::Resize && !fits())
        fit();
    return false;
}

bool ElidedPath::fits() const
{
    const int room = m_label->contentsRect().width() - 2 * m_label->margin();
    return m_label->fontMetrics().horizontalAdvance(m_label->text()) <= room;
}

void ElidedPath::fit()
{
    const QFontMetrics metrics = m_label->fontMetrics();
    const int room =
        m_label->contentsRect().width() - 2 * m_label->margin() - metrics.horizontalAdvance(m_head);
    m_shown = m_head + metrics.elidedText(m_path, Qt::ElideMiddle, std::max(room, 0));
    m_label->setText(m_shown);
}

void showElidedPath(QLabel *label, const QString &head, const QString &path)
{
    // A second printout replaces the first one's path.
    for (ElidedPath *before : label->findChildren<ElidedPath *>(Qt::FindDirectChildrenOnly))
        before->leave();
    new ElidedPath(label, head, path);
}

} // namespace velmora::ui
