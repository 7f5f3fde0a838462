#include "tab_order.h"

#include <QGridLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <numeric>
#include <tuple>
#include <vector>

namespace velmora::ui {

namespace {

void addWidget(QWidget *widget, QList<QWidget *> &out);

void addLayout(QLayout *layout, QList<QWidget *> &out)
{
    std::vector<int> order(static_cast<std::size_t>(layout->count()));
    std::iota(order.begin(), order.end(), 0);
    // A grid's items are kept in the order they were added, not where they sit.
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        auto cellOf = [grid](int index) {
            int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
            grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
            return std::tuple(row, column);
        };
        std::stable_sort(order.begin(), order.end(),
                         [&cellOf](int a, int b) { return cellOf(a) < cellOf(b); });
    }
    for (int index : order) {
        QLayoutItem *item = layout->itemAt(index);
        if (QWidget *widget = item->widget())
            addWidget(widget, out);
        else if (QLayout *inner = item->layout())
            addLayout(inner, out);
    }
}

void addWidget(QWidget *widget, QList<QWidget *> &out)
{
    if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
        out << tabs->tabBar();
        for (int page = 0; page < tabs->count(); ++page)
            addWidget(tabs->widget(page), out);
        return;
    }
    if (widget->focusPolicy() & Qt::TabFocus)
        out << widget;
    if (QLayout *layout = widget->layout())
        addLayout(layout, out);
}

} // namespace

QList<QWidget *> readingOrder(QWidget *root)
{
    QList<QWidget *> out;
    addWidget(root, out);
    return out;
}

void chainFocus(const QList<QWidget *> &widgets)
{
    for (qsizetype i = 1; i < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

} // namespace velmora::ui
