#include "support/style/ThinScrollBar.h"

#include "support/style/Metrics.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSlider>

namespace vorno::style {

ThinScrollBar::ThinScrollBar(QWidget *parent) : QScrollBar(Qt::Vertical, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QSize ThinScrollBar::sizeHint() const
{
    return {thickness, QScrollBar::sizeHint().height()};
}

void ThinScrollBar::paintEvent(QPaintEvent *)
{
    if (maximum() <= minimum())
        return;
    const double span = height();
    const double page = pageStep();
    const double total = maximum() - minimum() + page;
    const double length = std::max(24.0, span * page / total);
    const double top = (span - length) * (value() - minimum()) / std::max(1, maximum() - minimum());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath thumb;
    const QRectF area(2, top + 2, thickness - 4, length - 4);
    thumb.addRoundedRect(area, area.width() / 2, area.width() / 2);
    painter.fillPath(thumb, Metrics::faded(palette().color(QPalette::WindowText), isSliderDown() ? 0.5 : 0.3));
}

} // namespace vorno::style
