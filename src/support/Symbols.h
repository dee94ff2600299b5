#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

namespace vorno {

// The interface's own symbols (SVGs in the resources under :/symbols), drawn
// as ink in one colour: dark parts of the drawing take the colour, light parts
// stay clear. Rendered once per name, size, colour and pixel ratio.
namespace Symbols {
// `name` as the design names it ("checkmark", "paperclip", …); a name
// without a drawing is a programming error and yields a null pixmap.
[[nodiscard]] QPixmap pixmap(const QString &name, double size, const QColor &color, double pixelRatio);
[[nodiscard]] bool exists(const QString &name);
} // namespace Symbols

} // namespace vorno
