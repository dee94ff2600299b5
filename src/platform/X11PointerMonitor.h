#pragma once

#include "PointerMonitor.h"

#include <QAbstractNativeEventFilter>

namespace vorno {

// Pointer motion from XInput 2 raw events on the root window, read on Qt's own
// X connection. Raw events carry no position, so the position is asked for
// when needed. Without an X server (or under XWayland, where motion over
// Wayland windows never reaches X) it sees nothing and says so.
class X11PointerMonitor : public PointerMonitor, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit X11PointerMonitor(QObject *parent = nullptr);
    ~X11PointerMonitor() override;

    [[nodiscard]] QPoint position() const override;
    [[nodiscard]] bool seesEverywhere() const override { return m_listening && !m_xwayland; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    bool m_listening = false;
    bool m_xwayland = false;
    quint8 m_opcode = 0;
};

} // namespace vorno
