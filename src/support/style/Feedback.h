#pragma once

#include "support/Words.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class QLabel;

namespace vorno {
class AccessibilitySettings;
class SpringAnimation;
} // namespace vorno

namespace vorno::style {

// The one-line notice: a symbol, then the notice's text. The two success
// notices get a check that briefly grows; every other notice an info symbol.
class Feedback : public QWidget
{
    Q_OBJECT

public:
    explicit Feedback(AccessibilitySettings *settings, QWidget *parent = nullptr);

    // Hidden while there is no notice.
    void setNotice(std::optional<Words> notice);
    [[nodiscard]] std::optional<Words> notice() const { return m_notice; }
    [[nodiscard]] QString symbolName() const;
    [[nodiscard]] static bool isSuccess(Words notice);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] bool hasHeightForWidth() const override { return true; }
    [[nodiscard]] int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    [[nodiscard]] QRectF textRect(double width) const;

    QPointer<AccessibilitySettings> m_settings;
    std::optional<Words> m_notice;
    SpringAnimation *m_pop; // the symbol's scale
};

} // namespace vorno::style
