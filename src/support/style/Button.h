#pragma once

#include "support/Words.h"
#include "support/style/ButtonBody.h"
#include "support/style/ButtonPainter.h"
#include "support/style/Control.h"

namespace vorno {
class SpringAnimation;
} // namespace vorno

namespace vorno::style {

// A push button of the shared style. Its label is a text (a `Words` value or
// a string the caller owns, such as a consent statement) with an optional
// symbol after it; the action label form is a title and a symbol.
class Button : public Control
{
    Q_OBJECT

public:
    using Kind = ButtonBody::Kind;

    Button(Kind kind, AccessibilitySettings *settings, QWidget *parent = nullptr);

    void setKind(Kind kind);
    [[nodiscard]] Kind kind() const { return m_kind; }
    void setWords(Words words, QString icon = {});
    void setIconName(QString icon);
    [[nodiscard]] QString iconName() const { return m_icon; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void followState() override;
    [[nodiscard]] bool hitButton(const QPoint &position) const override;

private:
    [[nodiscard]] QFont labelFont() const;
    [[nodiscard]] ButtonLabel label() const;

    static constexpr int maximumNaturalWidth = 280;
    static constexpr double verticalTextPadding = 10;

    Kind m_kind;
    QString m_icon;
    bool m_wasPressed = false;
    SpringAnimation *m_press = nullptr; // 0 at rest, 1 pressed
    SpringAnimation *m_hover = nullptr; // 0 at rest, 1 hovered
};

} // namespace vorno::style
