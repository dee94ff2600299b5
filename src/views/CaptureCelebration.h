#pragma once

#include <QColor>
#include <QPointF>
#include <QPointer>
#include <QWidget>

#include <vector>

class QPainter;
class QVariantAnimation;

namespace vorno {

class AccessibilitySettings;

// The small burst of seven dots that celebrates a successful save. Each
// change of the trigger plays it once, from the start.
class CaptureCelebration : public QWidget
{
    Q_OBJECT

public:
    struct Dot
    {
        QPointF centre;
        double radius = 0;
        QColor color;
        friend bool operator==(const Dot &, const Dot &) = default;
    };

    static constexpr int side = 64;
    static constexpr int durationMs = 550;

    explicit CaptureCelebration(AccessibilitySettings *settings, QWidget *parent = nullptr);

    void setTrigger(int trigger);
    [[nodiscard]] int trigger() const { return m_trigger; }
    // Where the burst stands: 1 at rest (nothing visible), 0 at its start.
    [[nodiscard]] double progress() const { return m_progress; }

    // The drawing at progress `p` for a canvas of `size`: its opacity and dots.
    [[nodiscard]] static double opacityAt(double p) { return 1 - p; }
    [[nodiscard]] static std::vector<Dot> dotsAt(double p, QSizeF size);
    static void paint(QPainter &painter, double p, QSizeF size);

    [[nodiscard]] QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPointer<AccessibilitySettings> m_settings;
    QVariantAnimation *m_animation;
    int m_trigger = 0;
    double m_progress = 1;
};

} // namespace vorno
