#pragma once

#include "support/style/Control.h"

namespace vorno {
class SpringAnimation;
} // namespace vorno

namespace vorno::style {

// A toggle row of the shared style: the whole row is a quiet button that flips
// the value; it shows a switch after the label, or a checkbox before it.
class Toggle : public Control
{
    Q_OBJECT

public:
    // The parts of one frame, in widget coordinates: a pure function of the
    // row's size, the animated position (0 off … 1 on) and the settings.
    struct Geometry
    {
        QRectF label;
        QRectF track; // switch: the capsule; checkbox: the box
        QRectF knob;  // switch only
        double checkScale = 1;
        double checkOpacity = 1;
    };

    static constexpr double spacing = 12;
    static constexpr double verticalPadding = 6;
    static constexpr double horizontalPadding = 10;
    static constexpr QSizeF trackSize {42, 25};
    static constexpr double knobDiameter = 19;
    static constexpr double knobTravel = 8.5;
    static constexpr double boxSide = 21;
    static constexpr double boxRadius = 6;

    Toggle(bool checkbox, AccessibilitySettings *settings, QWidget *parent = nullptr);

    [[nodiscard]] bool isCheckbox() const { return m_checkbox; }
    [[nodiscard]] static Geometry geometry(bool checkbox, QSizeF size, double labelHeight, double position,
                                           AccessibilitySettings::Values settings);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    [[nodiscard]] double labelWidth(double rowWidth) const;
    [[nodiscard]] double labelHeight(double rowWidth) const;
    [[nodiscard]] QFont labelFont() const;

    bool m_checkbox;
    SpringAnimation *m_position;
};

} // namespace vorno::style
