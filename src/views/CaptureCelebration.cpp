#include "views/CaptureCelebration.h"

#include "support/AccessibilitySettings.h"
#include "support/style/Metrics.h"

#include <QEasingCurve>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>
#include <numbers>

namespace vorno {

CaptureCelebration::CaptureCelebration(AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_animation(new QVariantAnimation(this))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(side, side);
    m_animation->setDuration(durationMs);
    // One cubic keyframe from rest to rest: the Hermite curve with zero speed
    // at both ends.
    QEasingCurve keyframe;
    keyframe.setCustomType([](qreal t) { return t * t * (3 - 2 * t); });
    m_animation->setEasingCurve(keyframe);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    connect(m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_progress = value.toDouble();
        update();
    });
    if (settings)
        connect(settings, &AccessibilitySettings::changed, this, qOverload<>(&QWidget::update));
}

void CaptureCelebration::setTrigger(int trigger)
{
    if (trigger == m_trigger)
        return;
    m_trigger = trigger;
    m_animation->stop();
    if (m_settings && m_settings->reduceMotion()) {
        m_progress = 1;
        return;
    }
    m_progress = 0;
    m_animation->start();
    update();
}

std::vector<CaptureCelebration::Dot> CaptureCelebration::dotsAt(double p, QSizeF size)
{
    const double ring = 12 + 17 * p;
    const double radius = 1.5 * (1 - 0.4 * p);
    std::vector<Dot> dots;
    for (int i = 0; i < 7; ++i) {
        const double angle = 2 * std::numbers::pi * i / 7 - std::numbers::pi / 2;
        dots.push_back({QPointF(size.width() / 2 + ring * std::cos(angle), size.height() / 2 + ring * std::sin(angle)),
                        radius, i % 2 == 0 ? style::Metrics::action() : style::Metrics::burstLight()});
    }
    return dots;
}

void CaptureCelebration::paintEvent(QPaintEvent *)
{
    if ((m_settings && m_settings->reduceMotion()) || m_progress >= 1)
        return;
    QPainter painter(this);
    paint(painter, m_progress, QSizeF(size()));
}

void CaptureCelebration::paint(QPainter &painter, double p, QSizeF size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacityAt(p));
    painter.setPen(Qt::NoPen);
    for (const Dot &dot : dotsAt(p, size)) {
        painter.setBrush(dot.color);
        painter.drawEllipse(dot.centre, dot.radius, dot.radius);
    }
    painter.restore();
}

} // namespace vorno
