#pragma once

#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QWindow>

#include <cstdint>

namespace vorno {

// Hands a window the mouse buttons that Qt's X11 plugin drops. A window
// manager that focuses windows on click (Mutter, so GNOME Shell) takes the
// press through a passive grab and lets it through again for the pointer's
// own device rather than the master pointer; Qt 6.4 discards XInput 2 events
// of such devices, so a click on an unfocused window is lost.
class X11ClickRelay : public QAbstractNativeEventFilter
{
public:
    X11ClickRelay();
    ~X11ClickRelay() override;
    X11ClickRelay(const X11ClickRelay &) = delete;
    X11ClickRelay &operator=(const X11ClickRelay &) = delete;

    void follow(QWindow *window) { m_window = window; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    QPointer<QWindow> m_window;
    uint8_t m_opcode = 0;
    bool m_installed = false;
};

} // namespace vorno
