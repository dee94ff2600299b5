#include "support/BrandSymbol.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace vorno {

BrandSymbol::BrandSymbol(double size, QWidget *parent) : QWidget(parent), m_size(size)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(sizeHint());
}

QSvgRenderer &BrandSymbol::load()
{
    static QSvgRenderer renderer(QStringLiteral(":/symbol.svg"));
    if (!renderer.isValid())
        throw MissingError();
    return renderer;
}

void BrandSymbol::paint(QPainter &painter, const QRectF &rect)
{
    QSvgRenderer &renderer = load();
    const QSizeF natural = renderer.defaultSize();
    const QSizeF fitted = natural.scaled(rect.size(), Qt::KeepAspectRatio);
    const QRectF target(rect.center() - QPointF(fitted.width(), fitted.height()) / 2, fitted);
    painter.save();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, target);
    painter.restore();
}

QSize BrandSymbol::sizeHint() const
{
    const int side = int(std::ceil(m_size));
    return {side, side};
}

void BrandSymbol::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    try {
        paint(painter, QRectF(QPointF(0, 0), QSizeF(m_size, m_size)));
    } catch (const MissingError &) {
        // Checked at start-up; nothing to draw if it went missing since.
    }
}

} // namespace vorno
