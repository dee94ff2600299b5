#include "views/NotchHitView.h"

#include <QEvent>

namespace vorno {

NotchHitView::NotchHitView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void NotchHitView::setShape(NotchShape shape)
{
    if (shape.bottomRadius == m_shape.bottomRadius)
        return;
    m_shape = shape;
    Q_EMIT changed();
}

void NotchHitView::setNoninteractiveTop(double top)
{
    if (top == m_noninteractiveTop)
        return;
    m_noninteractiveTop = top;
    Q_EMIT changed();
}

QPainterPath NotchHitView::localPath() const
{
    QPainterPath band;
    band.addRect(QRectF(0, 0, width(), m_noninteractiveTop));
    return m_shape.path(QRectF(rect())).subtracted(band);
}

bool NotchHitView::contains(QPoint point) const
{
    if (!isVisible() || width() <= 0 || height() <= 0)
        return false;
    const QPointF local = QPointF(mapFromGlobal(point)) + QPointF(0.5, 0.5); // the centre of the pixel
    if (local.y() < m_noninteractiveTop)
        return false;
    return m_shape.path(QRectF(rect())).contains(local);
}

QRegion NotchHitView::windowRegion() const
{
    return toWindow(localPath());
}

QRegion NotchHitView::drawnRegion() const
{
    return toWindow(m_shape.path(QRectF(rect())));
}

QRegion NotchHitView::toWindow(const QPainterPath &path) const
{
    if (!isVisible() || width() <= 0 || height() <= 0)
        return {};
    const QPoint offset = mapTo(window(), QPoint(0, 0));
    return QRegion(path.translated(offset).toFillPolygon().toPolygon(), Qt::WindingFill);
}

bool NotchHitView::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        Q_EMIT changed();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

} // namespace vorno
