#pragma once

#include "support/Spring.h"

#include <QVariantAnimation>

#include <chrono>
#include <optional>

namespace vorno {

// A QVariantAnimation whose values follow a damped spring (it may overshoot
// the end value) or, when given none, a plain ease-out. `moveTo` starts from
// wherever the value is now, so an interrupted motion turns smoothly; with
// motion reduced it jumps to the end and still emits `finished`.
class SpringAnimation : public QVariantAnimation
{
    Q_OBJECT

public:
    explicit SpringAnimation(QObject *parent = nullptr);

    void setSpring(Spring spring);
    void setEaseOut(std::chrono::milliseconds duration);
    // Moves to `target`, animated unless `reduceMotion`.
    void moveTo(const QVariant &target, bool reduceMotion);
    // The value now (the end value once finished).
    [[nodiscard]] QVariant now() const;

protected:
    [[nodiscard]] QVariant interpolated(const QVariant &from, const QVariant &to, qreal progress) const override;

private:
    std::optional<Spring> m_spring;
    QVariant m_resting;
    bool m_timed = true; // whether the duration belongs to the spring
};

} // namespace vorno
