#pragma once

#include <optional>

namespace vorno {

// A rectangle in screen points with y growing upwards: (x, y) is the
// bottom-left corner, so a screen's top edge is its maxY.
struct Rect
{
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    [[nodiscard]] double minX() const { return x; }
    [[nodiscard]] double minY() const { return y; }
    [[nodiscard]] double maxX() const { return x + width; }
    [[nodiscard]] double maxY() const { return y + height; }
    [[nodiscard]] double midX() const { return x + width / 2; }

    // The common part, or nothing when the two do not meet (rectangles that only
    // share an edge meet in a zero-width or zero-height rectangle).
    [[nodiscard]] std::optional<Rect> intersected(const Rect &other) const;

    // Shrunk by dx on the left and right and dy at the bottom and top; negative
    // values grow it.
    [[nodiscard]] Rect insetBy(double dx, double dy) const;

    friend bool operator==(const Rect &, const Rect &) = default;
};

} // namespace vorno
