#include "support/style/ProgressBar.h"

#include "support/style/Metrics.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vorno::style {

ProgressBar::ProgressBar(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(thickness);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProgressBar::setProgress(qint64 done, qint64 total)
{
    const double fraction = total > 0 ? std::clamp(double(done) / double(total), 0.0, 1.0) : 0.0;
    // Said from the first value on, also when it is where the bar starts.
    setAccessibleDescription(QString::number(int(fraction * 100)) + u'%');
    if (fraction == m_fraction)
        return;
    m_fraction = fraction;
    update();
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double radius = height() / 2.0;
    QPainterPath track;
    track.addRoundedRect(QRectF(rect()), radius, radius);
    painter.fillPath(track, Metrics::faded(palette().color(QPalette::WindowText), 0.12));
    if (m_fraction <= 0)
        return;
    QPainterPath fill;
    fill.addRoundedRect(QRectF(0, 0, std::max(double(height()), width() * m_fraction), height()), radius, radius);
    painter.fillPath(fill, Metrics::action());
}

} // namespace vorno::style
