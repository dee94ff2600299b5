#include "support/SpringAnimation.h"

#include <QEasingCurve>
#include <QPointF>
#include <QRectF>

namespace vorno {

SpringAnimation::SpringAnimation(QObject *parent) : QVariantAnimation(parent)
{
    setEasingCurve(QEasingCurve::Linear);
}

void SpringAnimation::setSpring(Spring spring)
{
    m_spring = spring;
    m_timed = false; // found at the first motion: most animations never run
    setEasingCurve(QEasingCurve::Linear);
}

void SpringAnimation::setEaseOut(std::chrono::milliseconds duration)
{
    m_spring.reset();
    m_timed = true;
    setEasingCurve(QEasingCurve::OutCubic);
    setDuration(int(duration.count()));
}

QVariant SpringAnimation::now() const
{
    return state() == Running ? currentValue() : m_resting;
}

void SpringAnimation::moveTo(const QVariant &target, bool reduceMotion)
{
    const QVariant from = now();
    stop();
    m_resting = target;
    if (!m_timed && !reduceMotion) {
        setDuration(int(m_spring->settlingTime().count()));
        m_timed = true;
    }
    if (reduceMotion || !from.isValid() || from == target || duration() <= 0) {
        // Observers see the same end as after a motion, with no frames between
        // (setting the values announces the new one).
        setStartValue(target);
        setEndValue(target);
        Q_EMIT finished();
        return;
    }
    setStartValue(from);
    setEndValue(target);
    start();
}

QVariant SpringAnimation::interpolated(const QVariant &from, const QVariant &to, qreal progress) const
{
    if (!m_spring)
        return QVariantAnimation::interpolated(from, to, progress);
    // The spring is only within a hair of its end when the time is up: the
    // last frame is the target itself.
    if (progress >= 1)
        return to;
    const double fraction = m_spring->value(progress * duration() / 1000.0);
    if (from.typeId() == QMetaType::QRectF) {
        const QRectF a = from.toRectF(), b = to.toRectF();
        return QRectF(a.x() + (b.x() - a.x()) * fraction, a.y() + (b.y() - a.y()) * fraction,
                      a.width() + (b.width() - a.width()) * fraction,
                      a.height() + (b.height() - a.height()) * fraction);
    }
    if (from.typeId() == QMetaType::QPointF)
        return from.toPointF() + (to.toPointF() - from.toPointF()) * fraction;
    return from.toDouble() + (to.toDouble() - from.toDouble()) * fraction;
}

} // namespace vorno
