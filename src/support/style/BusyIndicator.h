#pragma once

#include <QPointer>
#include <QWidget>

class QVariantAnimation;

namespace vorno {
class AccessibilitySettings;
} // namespace vorno

namespace vorno::style {

// A small indeterminate progress indicator: a turning arc, or three still
// dots with motion reduced. It only animates while shown.
class BusyIndicator : public QWidget
{
    Q_OBJECT

public:
    static constexpr int side = 16;

    explicit BusyIndicator(AccessibilitySettings *settings, QWidget *parent = nullptr);

    [[nodiscard]] bool isAnimating() const;
    [[nodiscard]] QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void follow();

    QPointer<AccessibilitySettings> m_settings;
    QVariantAnimation *m_turn;
};

} // namespace vorno::style
