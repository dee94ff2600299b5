#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

namespace vorno {

// Tells when the pointer moved anywhere on the desktop, and where it is (Qt's
// global coordinates). Event driven: nothing runs while the pointer rests.
class PointerMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Where the pointer is now (asks the window system).
    [[nodiscard]] virtual QPoint position() const = 0;
    // False where motion over other applications' windows cannot be seen (a
    // Wayland session through XWayland): the panel must then watch its own
    // activation strip.
    [[nodiscard]] virtual bool seesEverywhere() const = 0;
    // Motion in and near `area` is told at once, and the first motion that
    // leaves it; motion far from it may be told later, or not at all.
    virtual void setArea(QRect area) { Q_UNUSED(area); }

Q_SIGNALS:
    void moved(QPoint position);
};

} // namespace vorno
