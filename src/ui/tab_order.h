#pragma once

#include <QList>

class QWidget;

namespace velmora::ui {

// The controls under `root` that the Tab key can reach, as a reader meets them: a grid row by
// row, each row from left to right; a box layout in its own order; a nested layout or widget
// read whole before the next item. A tab widget gives its tab bar, then its pages in order.
QList<QWidget *> readingOrder(QWidget *root);

// Links the focus chain through `widgets` in the order given.
void chainFocus(const QList<QWidget *> &widgets);

} // namespace velmora::ui
