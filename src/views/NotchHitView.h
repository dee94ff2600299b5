#pragma once

#include "views/NotchShape.h"

#include <QRegion>
#include <QWidget>

namespace vorno {

// The invisible twin of the drawn notch: tells which screen points belong to
// it, so everything else on the panel's canvas lets clicks through. It takes
// no events itself.
class NotchHitView : public QWidget
{
    Q_OBJECT

public:
    explicit NotchHitView(QWidget *parent = nullptr);

    void setShape(NotchShape shape);
    void setNoninteractiveTop(double top);
    [[nodiscard]] NotchShape shape() const { return m_shape; }
    [[nodiscard]] double noninteractiveTop() const { return m_noninteractiveTop; }

    // `point` in Qt's global (virtual desktop) coordinates.
    [[nodiscard]] bool contains(QPoint point) const;
    // The same area in the coordinates of the top-level window.
    [[nodiscard]] QRegion windowRegion() const;
    // All of the drawn outline, the band at its top included, in the same coordinates.
    [[nodiscard]] QRegion drawnRegion() const;

Q_SIGNALS:
    // The area changed: its shape, band or place in the window.
    void changed();

protected:
    bool event(QEvent *event) override;

private:
    [[nodiscard]] QPainterPath localPath() const;
    [[nodiscard]] QRegion toWindow(const QPainterPath &path) const;

    NotchShape m_shape;
    double m_noninteractiveTop = 0;
};

} // namespace vorno
