#pragma once

#include "support/style/ButtonBody.h"

#include <QFont>
#include <QString>

class QPainter;
class QRectF;

namespace vorno::style {

// A button's label: its text, then a symbol (hidden from accessibility).
struct ButtonLabel
{
    QString text;
    QString icon; // empty: none
    QFont font;
    double padding = 16; // left and right, inside the button

    static constexpr double iconSize = 12;
    static constexpr double spacing = 6;

    [[nodiscard]] double width() const;
    [[nodiscard]] double iconWidth() const;
    // The text's height when the button is `buttonWidth` wide.
    [[nodiscard]] double heightFor(double buttonWidth) const;
};

// Draws one look of the shared button style into a rectangle.
namespace ButtonPainter {

void paintBody(QPainter &painter, const QRectF &rect, const ButtonBody &body);
void paint(QPainter &painter, const QRectF &rect, const ButtonBody &body, const ButtonLabel &label);

} // namespace ButtonPainter

} // namespace vorno::style
