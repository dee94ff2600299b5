#pragma once

#include <QList>

class QWidget;

namespace vorno {

// Makes Tab visit the widgets in the given order (the order they are read
// in), whatever order they were made in. Null entries are skipped.
void setReadingOrder(const QList<QWidget *> &widgets);

} // namespace vorno
