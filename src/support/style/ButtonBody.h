#pragma once

#include "support/AccessibilitySettings.h"

#include <QColor>
#include <optional>

namespace vorno::style {

// How one button of the shared style looks in one state: a pure function of
// its kind, its state, the accessibility settings and the primary colour.
struct ButtonBody
{
    enum class Kind { primary, secondary, quiet };

    struct State
    {
        bool enabled = true;
        bool pressed = false;
        bool hovered = false;
        bool focused = false;
    };

    struct Shadow
    {
        QColor color;
        double radius = 0;
        double yOffset = 0;
        friend bool operator==(const Shadow &, const Shadow &) = default;
    };

    // The fill is either a colour or the accent gradient; neither for none.
    std::optional<QColor> fill;
    bool gradient = false;
    std::optional<QColor> border;
    double borderWidth = 1;
    QColor label;
    std::optional<Shadow> shadow;
    double scale = 1;   // about the centre
    double yOffset = 0; // negative lifts

    static constexpr double cornerRadius = 14;
    static constexpr int fontPixelSize = 13;

    [[nodiscard]] static double horizontalPadding(Kind kind) { return kind == Kind::quiet ? 10 : 16; }
    [[nodiscard]] static double minimumHeight(Kind kind) { return kind == Kind::quiet ? 36 : 44; }
    [[nodiscard]] static ButtonBody look(Kind kind, State state, AccessibilitySettings::Values settings,
                                         const QColor &primary);
};

} // namespace vorno::style
