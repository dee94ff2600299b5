#pragma once

#include <QList>
#include <QWidget>

// The widgets of `among` in the order Tab reaches them, following the focus
// chain from `from`.
inline QList<QWidget *> tabOrder(QWidget *from, const QList<QWidget *> &among)
{
    QList<QWidget *> visited;
    QWidget *widget = from;
    for (int step = 0; step < 100 && visited.size() < among.size(); ++step, widget = widget->nextInFocusChain())
        if (among.contains(widget) && !visited.contains(widget))
            visited.append(widget);
    return visited;
}
