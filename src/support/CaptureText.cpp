#include "support/CaptureText.h"

#include "support/VornoMetrics.h"

#include <QEvent>

namespace vorno {

CaptureText::CaptureText(const QString &text, double opacity, int pixelSize, QWidget *parent)
    : QLabel(text, parent), m_opacity(opacity)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    QFont font = this->font();
    font.setPixelSize(pixelSize);
    setFont(font);
    applyColour();
}

void CaptureText::setOpacity(double opacity)
{
    m_opacity = opacity;
    applyColour();
}

void CaptureText::setColour(QColor colour)
{
    m_colour = colour;
    applyColour();
}

void CaptureText::setWeight(QFont::Weight weight)
{
    QFont font = this->font();
    font.setWeight(weight);
    setFont(font);
}

void CaptureText::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange && !m_applying)
        applyColour();
    QLabel::changeEvent(event);
}

void CaptureText::applyColour()
{
    // The parent's text colour, faded: follows the panel's palette.
    const QColor primary = m_colour ? *m_colour
        : parentWidget()            ? parentWidget()->palette().color(QPalette::WindowText)
                                    : palette().color(QPalette::WindowText);
    QPalette faded = palette();
    faded.setColor(QPalette::WindowText, VornoMetrics::faded(primary, m_opacity));
    m_applying = true;
    setPalette(faded);
    m_applying = false;
}

} // namespace vorno
