#include "support/Symbols.h"

#include <QCache>
#include <QFile>
#include <QImage>
#include <QLoggingCategory>
#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace vorno {

Q_LOGGING_CATEGORY(symbolsLog, "vorno.support.Symbols")

namespace {

QString resourceOf(const QString &name)
{
    return QStringLiteral(":/symbols/") + name + QStringLiteral(".svg");
}

} // namespace

bool Symbols::exists(const QString &name)
{
    return QFile::exists(resourceOf(name));
}

QPixmap Symbols::pixmap(const QString &name, double size, const QColor &color, double pixelRatio)
{
    static QCache<QString, QPixmap> cache(256);
    const int pixels = int(std::ceil(size * pixelRatio));
    const QString key = name + u'|' + QString::number(pixels) + u'|' + QString::number(color.rgba(), 16);
    if (const QPixmap *cached = cache.object(key))
        return *cached;

    QSvgRenderer renderer(resourceOf(name));
    if (!renderer.isValid()) {
        qCWarning(symbolsLog) << "no drawing for a symbol";
        return {};
    }
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, pixels, pixels));
    }
    // Ink: darkness times coverage becomes the colour's alpha.
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb tint = color.rgb();
    const double tintAlpha = color.alphaF();
    for (int y = 0; y < pixels; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < pixels; ++x) {
            const QRgb pixel = line[x];
            const double ink = (1 - qGray(pixel) / 255.0) * qAlpha(pixel) / 255.0 * tintAlpha;
            line[x] = qRgba(qRed(tint), qGreen(tint), qBlue(tint), int(std::lround(ink * 255)));
        }
    }
    QPixmap result = QPixmap::fromImage(image);
    result.setDevicePixelRatio(pixelRatio);
    cache.insert(key, new QPixmap(result));
    return result;
}

} // namespace vorno
