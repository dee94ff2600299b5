#pragma once

#include "support/Clock.h"
#include "views/NotchPresentation.h"
#include "views/NotchView.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QMetaObject>
#include <QPointer>
#include <QRect>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace vorno {

class AccessibilitySettings;
class CaptureStore;
class DesktopWatcher;
class InputPanel;
class NotchPresentation;
class PanelWindowSystem;
class PointerMonitor;
class ScreenSpace;
class SessionWatcher;

// What the notch controller works with; each piece has a desktop realisation
// and a test double. The controller takes none of them over.
struct NotchFacilities
{
    PointerMonitor *pointer = nullptr;
    DesktopWatcher *desktop = nullptr;
    SessionWatcher *session = nullptr;
    PanelWindowSystem *windows = nullptr;
    AccessibilitySettings *settings = nullptr;
    NotchView::Options view;
    Clock *clock = Clock::continuous();
};

// Owns the notch's window: where it sits, when it shows, when the pointer
// reveals the notch, which of its pixels take clicks, and when an
// encouragement note may appear in it.
class NotchController : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds hideDelay {220};
    // Under XWayland: how long the compact notch stays out with no sign of
    // the pointer.
    static constexpr std::chrono::seconds restHideDelay {4};

    NotchController(CaptureStore *store, NotchFacilities facilities, QObject *parent = nullptr);
    ~NotchController() override;

    void refresh(bool activate);
    // The next activation on request answers the launcher that asked for it.
    void setActivationToken(QByteArray token) { m_activationToken = std::move(token); }
    // Gives the open panel the keyboard, as the user asked.
    void bringForward();
    // `point` in Qt's global coordinates.
    void pointerMoved(QPoint point);
    // The pointer monitor saw the pointer at `point`.
    void pointerSeen(QPoint point);
    // The pointer left the panel's window.
    void pointerLeft();
    // Where the notch sits on a screen (Qt's global coordinates): hung from
    // its work area's top edge, revealed from there up to the screen's top.
    [[nodiscard]] static NotchLayout layoutFor(QRect screen, QRect workArea, const ScreenSpace &space);
    [[nodiscard]] bool mayPresentEncouragement() const;
    void stop();

    [[nodiscard]] InputPanel *panel() const { return m_panel.get(); }
    [[nodiscard]] NotchPresentation *presentation() const { return m_presentation; }
    [[nodiscard]] NotchView *host() const { return m_host; }
    [[nodiscard]] bool isAsleep() const { return m_asleep; }
    [[nodiscard]] bool isHidePending() const { return m_hideTask.has_value(); }
    // The header click rules, in the panel's coordinates.
    [[nodiscard]] bool compactEntryContains(QPoint windowPoint) const;
    void compactEntry(QPoint windowPoint);

private:
    void hide();
    // `point` (global) is where the pointer counts as at the notch.
    [[nodiscard]] bool inActivationArea(QPoint point) const;
    void fallAsleep();
    void wake();
    void applyInputRegion();
    void observeScreens();
    // Hides the compact notch after `delay` unless `task`'s stop is asked for.
    QCoro::Task<> hideLater(std::chrono::nanoseconds delay, std::optional<std::stop_source> *task,
                            std::stop_token stop);

    QPointer<CaptureStore> m_store;
    NotchFacilities m_facilities;
    std::unique_ptr<InputPanel> m_panel;
    // The context of every connection to the desktop, the screens and the
    // store: gone with stop().
    std::unique_ptr<QObject> m_watch = std::make_unique<QObject>();
    bool m_asleep = false;
    QPointer<NotchPresentation> m_presentation;
    QPointer<NotchView> m_host;
    std::optional<std::stop_source> m_hideTask;
    std::optional<std::stop_source> m_restTask; // XWayland: hides a notch the pointer may have left
    QByteArray m_activationToken;
};

} // namespace vorno
