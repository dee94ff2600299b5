#pragma once

#include "platform/DesktopWatcher.h"

#include <QAbstractNativeEventFilter>
#include <QTimer>

#include <cstdint>

namespace vorno {

// Follows the root window's _NET_ACTIVE_WINDOW and _NET_CURRENT_DESKTOP, the
// active window's _NET_WM_STATE, and the owner of the compositing manager's
// selection _NET_WM_CM_S<n>. Window managers send duplicates and briefly
// report no active window, so a change waits for a quiet moment first.
class X11DesktopWatcher : public DesktopWatcher, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    explicit X11DesktopWatcher(QObject *parent = nullptr);
    ~X11DesktopWatcher() override;

    [[nodiscard]] bool fullScreenActive() const override { return m_fullScreen; }
    [[nodiscard]] bool compositing() const override { return m_compositing; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    void reread();
    void watch(uint32_t window);
    void rereadCompositing();

    void *m_connection = nullptr;
    uint32_t m_root = 0;
    uint32_t m_watched = 0;
    uint32_t m_activeAtom = 0;
    uint32_t m_desktopAtom = 0;
    uint32_t m_stateAtom = 0;
    uint32_t m_fullScreenAtom = 0;
    uint32_t m_compositorAtom = 0;
    uint8_t m_selectionNotify = 0; // the XFixes event code, 0 without XFixes
    bool m_fullScreen = false;
    bool m_compositing = true;
    QTimer m_quiet;
};

} // namespace vorno
