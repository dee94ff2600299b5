#pragma once

#include "support/SpringAnimation.h"
#include "support/style/Control.h"

#include <functional>

namespace vorno {

// A header button of the notch: its label on a faint white rounded plate that
// shows while hovered or pressed, shrinking a little while pressed.
class NotchPressButton : public style::Control
{
    Q_OBJECT

public:
    // Draws the label into the button's rectangle.
    using Label = std::function<void(QPainter &, const QRectF &)>;

    NotchPressButton(QSize size, Label label, AccessibilitySettings *settings, QWidget *parent = nullptr);

    // The plate's opacity and the scale for a state, as drawn at rest.
    [[nodiscard]] static double plateOpacity(const style::ButtonBody::State &state);
    [[nodiscard]] static double scaleFor(const style::ButtonBody::State &state, bool reduceMotion);

    [[nodiscard]] QSize sizeHint() const override { return m_size; }

protected:
    void followState() override;
    void paintEvent(QPaintEvent *event) override;

private:
    QSize m_size;
    Label m_label;
    SpringAnimation *m_plate;
};

} // namespace vorno
