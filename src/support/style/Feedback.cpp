#include "support/style/Feedback.h"

#include "support/AccessibilitySettings.h"
#include "support/SpringAnimation.h"
#include "support/Symbols.h"
#include "support/style/Metrics.h"

#include <QFontMetricsF>
#include <QPainter>

namespace vorno::style {

namespace {

constexpr double symbolSize = 15;
constexpr double gap = 7;
constexpr Spring popSpring {0.2, 0.9};
constexpr double popScale = 1.15;

} // namespace

Feedback::Feedback(AccessibilitySettings *settings, QWidget *parent)
    : QWidget(parent), m_settings(settings), m_pop(new SpringAnimation(this))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    m_pop->setSpring(popSpring);
    m_pop->moveTo(1.0, true);
    connect(m_pop, &QVariantAnimation::valueChanged, this, qOverload<>(&QWidget::update));
    // Grow, then settle back: the second half starts when the first ends.
    connect(m_pop, &QVariantAnimation::finished, this, [this] {
        if (m_pop->now().toDouble() > 1)
            m_pop->moveTo(1.0, m_settings && m_settings->reduceMotion());
    });
    setVisible(false);
}

bool Feedback::isSuccess(Words notice)
{
    return notice == Words::saved || notice == Words::cloudSaved;
}

QString Feedback::symbolName() const
{
    return m_notice && isSuccess(*m_notice) ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("info.circle");
}

void Feedback::setNotice(std::optional<Words> notice)
{
    if (notice == m_notice)
        return;
    m_notice = notice;
    setAccessibleName(notice ? notice->string() : QString());
    setVisible(notice.has_value());
    updateGeometry();
    if (notice && isSuccess(*notice))
        m_pop->moveTo(popScale, m_settings && m_settings->reduceMotion());
    update();
}

QRectF Feedback::textRect(double width) const
{
    const QFontMetricsF metrics(font());
    const double left = symbolSize + gap;
    const QRectF bounds = metrics.boundingRect(QRectF(0, 0, std::max(1.0, width - left), 10000), Qt::TextWordWrap,
                                               m_notice ? m_notice->string() : QString());
    return {left, 0, width - left, std::max(bounds.height(), symbolSize)};
}

QSize Feedback::sizeHint() const
{
    return {320, heightForWidth(320)};
}

int Feedback::heightForWidth(int width) const
{
    return int(std::ceil(textRect(width).height()));
}

void Feedback::paintEvent(QPaintEvent *)
{
    if (!m_notice)
        return;
    QPainter painter(this);
    const QColor primary = palette().color(QPalette::WindowText);
    const QColor ink = isSuccess(*m_notice) ? Metrics::action() : Metrics::faded(primary, 0.75);
    const double scale = m_pop->now().toDouble();
    const QFontMetricsF metrics(font());
    const double symbolTop = std::max(0.0, (metrics.height() - symbolSize) / 2);
    painter.save();
    painter.translate(symbolSize / 2, symbolTop + symbolSize / 2);
    painter.scale(scale, scale);
    painter.drawPixmap(QPointF(-symbolSize / 2, -symbolSize / 2),
                       Symbols::pixmap(symbolName(), symbolSize, ink, devicePixelRatioF()));
    painter.restore();
    painter.setPen(Metrics::faded(primary, 0.85));
    painter.drawText(textRect(width()), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, m_notice->string());
}

} // namespace vorno::style
