#pragma once

#include <QColor>
#include <QPalette>

// The few colours the whole interface shares; every other colour is an
// opacity of the palette's primary (text) colour.
namespace vorno::style::Metrics {

// The accent colour.
inline QColor action()
{
    return QColor::fromRgbF(0.67f, 0.62f, 0.95f);
}

// Where the primary button's gradient starts (top-leading).
inline QColor actionLight()
{
    return QColor::fromRgbF(0.8f, 0.75f, 1.0f);
}

// The celebration's second dot colour.
inline QColor burstLight()
{
    return QColor::fromRgbF(1.0f, 1.0f, 0.72f);
}

// `color` at `opacity` of its own alpha.
inline QColor faded(QColor color, double opacity)
{
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

// The notch's palette: white text on the black fill.
inline QPalette notchPalette(QPalette palette)
{
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Base, QColor(28, 28, 30));
    palette.setColor(QPalette::Highlight, faded(action(), 0.5));
    return palette;
}

} // namespace vorno::style::Metrics
