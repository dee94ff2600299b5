#include "support/style/BusyIndicator.h"

#include "support/AccessibilitySettings.h"
#include "support/style/Metrics.h"

#include <QPainter>
#include <QVariantAnimation>

namespace vorno::style {

BusyIndicator::BusyIndicator(AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_turn(new QVariantAnimation(this))
{
    setFixedSize(side, side);
    m_turn->setStartValue(0.0);
    m_turn->setEndValue(360.0);
    m_turn->setDuration(900);
    m_turn->setLoopCount(-1);
    connect(m_turn, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    if (settings)
        connect(settings, &AccessibilitySettings::changed, this, &BusyIndicator::follow);
}

bool BusyIndicator::isAnimating() const
{
    return m_turn->state() == QAbstractAnimation::Running;
}

void BusyIndicator::follow()
{
    const bool animate = isVisible() && !(m_settings && m_settings->reduceMotion());
    if (animate && !isAnimating())
        m_turn->start();
    else if (!animate)
        m_turn->stop();
    update();
}

void BusyIndicator::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    follow();
}

void BusyIndicator::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    follow();
}

void BusyIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor primary = palette().color(QPalette::WindowText);
    if (!isAnimating()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Metrics::faded(primary, 0.6));
        for (int i = 0; i < 3; ++i)
            painter.drawEllipse(QPointF(3 + 5 * i, side / 2.0), 1.6, 1.6);
        return;
    }
    painter.translate(side / 2.0, side / 2.0);
    painter.rotate(m_turn->currentValue().toDouble());
    QPen pen(Metrics::faded(primary, 0.7), 2);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawArc(QRectF(-6, -6, 12, 12), 0, 270 * 16);
}

} // namespace vorno::style
