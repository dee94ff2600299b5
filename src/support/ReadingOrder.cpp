#include "support/ReadingOrder.h"

#include <QWidget>

namespace vorno {

void setReadingOrder(const QList<QWidget *> &widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (!widget)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace vorno
