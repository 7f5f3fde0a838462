#pragma once

// The small makers the window's building files share: every control that the rest of the program
// names gets that name as its object name.
#include "arrow_buttons.h"

#include <QAction>
#include <QColor>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QTableWidget>
#include <QWidget>

namespace velmora::ui::form {

// A hint is "short|long": the tooltip shows the short part, the status bar the long part; a hint
// without a bar serves for both.
inline void setHint(QWidget *w, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

inline void setHint(QAction *a, const QString &hint)
{
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    a->setToolTip(bar < 0 ? hint : hint.left(bar));
    a->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

template <typename W> W *make(QWidget *parent, const QString &name)
{
    auto *w = new W(parent);
    w->setObjectName(name);
    return w;
}

inline QLabel *label(QWidget *parent, const QString &name, const QString &caption)
{
    auto *l = make<QLabel>(parent, name);
    l->setText(caption);
    return l;
}

// A label with no name of its own: a fixed caption of the layout.
inline QLabel *caption(QWidget *parent, const QString &text, Qt::Alignment align = Qt::AlignLeft)
{
    auto *l = new QLabel(text, parent);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}

inline QPushButton *button(QWidget *parent, const QString &name, const QString &text)
{
    auto *b = make<QPushButton>(parent, name);
    b->setText(text);
    return b;
}

inline QGroupBox *group(QWidget *parent, const QString &name, const QString &title)
{
    auto *g = make<QGroupBox>(parent, name);
    g->setTitle(title);
    return g;
}

inline ArrowButtons *spinButton(QWidget *parent, const QString &name)
{
    auto *s = make<ArrowButtons>(parent, name);
    s->setFixedSize(15, 22);
    return s;
}

// A list of rows to pick one from: whole rows selected, nothing edited in place.
inline QTableWidget *listTable(QWidget *parent, const QString &name, const QStringList &columns)
{
    auto *t = make<QTableWidget>(parent, name);
    t->setColumnCount(static_cast<int>(columns.size()));
    t->setHorizontalHeaderLabels(columns);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

inline QColor desktopColour()
{
    return QColor(0x3a, 0x6e, 0xa5);
}

} // namespace velmora::ui::form
