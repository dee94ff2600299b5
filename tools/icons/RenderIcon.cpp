// Renders the application's SVG icon to square PNGs for the hicolor theme,
// where a menu or a launcher asks for a fixed size.
// Usage: vorno-render-icon SVG OUTPUT_DIRECTORY NAME SIZE...

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() < 5) {
        std::fprintf(stderr, "usage: vorno-render-icon SVG OUTPUT_DIRECTORY NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "vorno-render-icon: cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    for (const QString &text : arguments.mid(4)) {
        const int size = text.toInt();
        if (size <= 0) {
            std::fprintf(stderr, "vorno-render-icon: not a size: %s\n", qPrintable(text));
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        const QString directory = QStringLiteral("%1/%2x%2").arg(arguments.at(2)).arg(size);
        const QString path = directory + u'/' + arguments.at(3) + QStringLiteral(".png");
        if (!QDir().mkpath(directory) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "vorno-render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
