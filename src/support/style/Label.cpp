#include "support/style/Label.h"

#include "support/style/Metrics.h"

#include <QEvent>

namespace vorno::style {

Label::Label(const QString &text, double opacity, int pixelSize, QWidget *parent)
    : QLabel(text, parent), m_opacity(opacity)
{
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    QFont font = this->font();
    font.setPixelSize(pixelSize);
    setFont(font);
    applyColour();
}

void Label::setOpacity(double opacity)
{
    m_opacity = opacity;
    applyColour();
}

void Label::setColour(QColor colour)
{
    m_colour = colour;
    applyColour();
}

void Label::setWeight(QFont::Weight weight)
{
    QFont font = this->font();
    font.setWeight(weight);
    setFont(font);
}

void Label::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange && !m_applying)
        applyColour();
    QLabel::changeEvent(event);
}

void Label::applyColour()
{
    // The parent's text colour, faded: follows the panel's palette.
    const QColor primary = m_colour ? *m_colour
        : parentWidget()            ? parentWidget()->palette().color(QPalette::WindowText)
                                    : palette().color(QPalette::WindowText);
    QPalette faded = palette();
    faded.setColor(QPalette::WindowText, Metrics::faded(primary, m_opacity));
    m_applying = true;
    setPalette(faded);
    m_applying = false;
}

} // namespace vorno::style
