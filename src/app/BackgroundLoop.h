#pragma once

#include "core/EncouragementNote.h"

#include <QCoro/QCoroTask>
#include <QPointer>

#include <chrono>
#include <functional>
#include <stop_token>

namespace vorno {

class CaptureStore;

// What the loop asks of the rest of the application on each pass; the
// delegate wires these to the notch, Qt's application state and the alerts.
struct BackgroundHooks
{
    std::function<bool()> active;     // the application is in front
    std::function<bool()> notchAwake; // a notch exists and is not asleep
    std::function<bool()> mayPresent; // the notch may show a note now
    std::function<void()> refreshNotch;
    std::function<bool()> alertsChosen; // the user allows desktop alerts
    std::function<QCoro::Task<bool>()> alertsAuthorized;
    std::function<QCoro::Task<bool>(EncouragementNote)> sendAlert;
    // Default: the continuous clock. Throws CancelledError when stopped.
    std::function<QCoro::Task<>(std::chrono::nanoseconds, std::stop_token)> sleep;
};

// The application's one long-running activity: restore the session, then
// every minute keep it fresh while the application is in front and deliver at
// most one encouragement note, in the notch or as a private desktop alert.
class BackgroundLoop
{
public:
    static constexpr std::chrono::seconds interval {60};
    static constexpr std::chrono::seconds noteDisplay {12};

    BackgroundLoop(CaptureStore *store, BackgroundHooks hooks);

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
    BackgroundHooks m_hooks;
};

} // namespace vorno
