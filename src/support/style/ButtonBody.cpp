#include "support/style/ButtonBody.h"

#include "support/style/Metrics.h"

namespace vorno::style {

using Metrics::faded;

ButtonBody ButtonBody::look(Kind kind, State state, AccessibilitySettings::Values settings, const QColor &primary)
{
    ButtonBody body;
    const bool enabled = state.enabled;
    body.label = !enabled ? faded(primary, 0.4) : kind == Kind::primary ? QColor(Qt::black) : faded(primary, 0.9);

    if (!enabled) {
        body.fill = faded(primary, 0.035);
    } else if (kind == Kind::primary) {
        body.gradient = true;
    } else if (kind == Kind::secondary) {
        body.fill = faded(primary, state.hovered ? 0.12 : 0.065);
    } else if (state.hovered) {
        body.fill = faded(primary, 0.12);
    }

    if (state.focused) {
        body.border = Metrics::action();
        body.borderWidth = 2;
    } else if (settings.increaseContrast) {
        body.border = faded(primary, 0.6);
    } else if (kind == Kind::primary) {
        body.border = faded(primary, enabled ? 0.18 : 0.1);
    } else if (kind == Kind::secondary || state.hovered) {
        body.border = faded(primary, 0.1);
    }

    if (kind == Kind::primary && enabled && state.hovered)
        body.shadow = Shadow {faded(Metrics::action(), 0.2), 12, 3};

    if (enabled && !settings.reduceMotion) {
        if (state.pressed)
            body.scale = 0.97;
        else if (state.hovered)
            body.yOffset = -1;
    }
    return body;
}

} // namespace vorno::style
