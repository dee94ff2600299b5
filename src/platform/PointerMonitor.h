#pragma once

#include <QObject>
#include <QPoint>

namespace vorno {

// Tells when the pointer moved anywhere on the desktop, and where it is (Qt's
// global coordinates). Event driven: nothing runs while the pointer rests.
class PointerMonitor : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    [[nodiscard]] virtual QPoint position() const = 0;
    // False where motion over other applications' windows cannot be seen (a
    // Wayland session through XWayland): the panel must then watch its own
    // activation strip.
    [[nodiscard]] virtual bool seesEverywhere() const = 0;

Q_SIGNALS:
    void moved();
};

} // namespace vorno
