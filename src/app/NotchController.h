#pragma once

#include "NotchPresentation.h"
#include "NotchView.h"

#include <QCoro/QCoroTask>
#include <QMetaObject>
#include <QPointer>

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
    // Default: the continuous clock.
    std::function<QCoro::Task<>(std::chrono::nanoseconds, std::stop_token)> sleep;
};

// Owns the notch's window: where it sits, when it shows, when the pointer
// reveals the notch, which of its pixels take clicks, and when an
// encouragement note may appear in it.
class NotchController : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds hideDelay {220};

    NotchController(CaptureStore *store, NotchFacilities facilities, QObject *parent = nullptr);
    ~NotchController() override;

    void refresh(bool activate);
    // `point` in Qt's global coordinates.
    void pointerMoved(QPoint point);
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
    void fallAsleep();
    void wake();
    void applyInputRegion();
    void observeScreens();
    QCoro::Task<> hideLater(std::stop_token stop);

    QPointer<CaptureStore> m_store;
    NotchFacilities m_facilities;
    std::unique_ptr<InputPanel> m_panel;
    QList<QMetaObject::Connection> m_tokens;
    bool m_asleep = false;
    QPointer<NotchPresentation> m_presentation;
    QPointer<NotchView> m_host;
    std::optional<std::stop_source> m_hideTask;
};

} // namespace vorno
