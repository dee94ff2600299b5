#pragma once

#include "core/EncouragementNote.h"

#include <QCoro/QCoroTask>
#include <QPointer>

#include <chrono>
#include <memory>
#include <stop_token>

namespace vorno {

class CaptureStore;
class Clock;

// What the loop asks of the rest of the application on each pass; the
// delegate answers from the notch, Qt's application state and the alerts.
class BackgroundHooks
{
public:
    virtual ~BackgroundHooks() = default;

    [[nodiscard]] virtual bool isActive() const = 0;     // the application is in front
    [[nodiscard]] virtual bool isNotchAwake() const = 0; // a notch exists and is not asleep
    [[nodiscard]] virtual bool mayPresent() const = 0;   // the notch may show a note now
    virtual void refreshNotch() = 0;
    [[nodiscard]] virtual bool alertsChosen() const = 0; // the user allows desktop alerts
    [[nodiscard]] virtual QCoro::Task<bool> alertsAuthorized() = 0;
    [[nodiscard]] virtual QCoro::Task<bool> sendAlert(EncouragementNote note) = 0;
};

// The application's one long-running activity: restore the session, then
// every minute keep it fresh while the application is in front and deliver at
// most one encouragement note, in the notch or as a private desktop alert.
class BackgroundLoop
{
public:
    static constexpr std::chrono::seconds interval {60};
    static constexpr std::chrono::seconds noteDisplay {12};

    BackgroundLoop(CaptureStore *store, std::unique_ptr<BackgroundHooks> hooks, Clock *clock);

    // Ends quietly when `stop` is requested (at once, also mid-sleep) or the
    // store is gone.
    QCoro::Task<> run(std::stop_token stop);
    // One pass after the sleep; false when the loop must end.
    QCoro::Task<bool> pass(std::stop_token stop);

private:
    enum class Channel { none, notch, alert };

    [[nodiscard]] bool mayDeliver() const;
    QCoro::Task<Channel> channel();

    QPointer<CaptureStore> m_store;
    std::unique_ptr<BackgroundHooks> m_hooks;
    Clock *m_clock;
};

} // namespace vorno
