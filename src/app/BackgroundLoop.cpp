#include "app/BackgroundLoop.h"

#include "stores/AccountEncouragement.h"
#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "support/CancelledError.h"
#include "support/Clock.h"

namespace vorno {

BackgroundLoop::BackgroundLoop(CaptureStore *store, std::unique_ptr<BackgroundHooks> hooks, Clock *clock)
    : m_store(store), m_hooks(std::move(hooks)), m_clock(clock)
{
}

QCoro::Task<> BackgroundLoop::run(std::stop_token stop)
{
    if (!m_store || stop.stop_requested())
        co_return;
    co_await m_store->cloud()->restore();
    try {
        while (!stop.stop_requested()) {
            co_await m_clock->sleep(interval, stop);
            if (stop.stop_requested() || !co_await pass(stop))
                co_return;
        }
    } catch (const CancelledError &) {
        // stopped during a sleep: the note in the notch, if any, stays as it is
    }
}

bool BackgroundLoop::mayDeliver() const
{
    return m_store && m_hooks->isNotchAwake() && !m_store->isExpanded();
}

QCoro::Task<BackgroundLoop::Channel> BackgroundLoop::channel()
{
    if (!mayDeliver())
        co_return Channel::none;
    if (m_hooks->mayPresent())
        co_return Channel::notch;
    if (!m_hooks->alertsChosen())
        co_return Channel::none;
    const bool authorized = co_await m_hooks->alertsAuthorized();
    // The choice may have changed while the desktop answered.
    co_return (authorized && m_hooks->alertsChosen()) ? Channel::alert : Channel::none;
}

QCoro::Task<bool> BackgroundLoop::pass(std::stop_token stop)
{
    if (!m_store)
        co_return false;
    if (m_hooks->isActive())
        co_await m_store->cloud()->refreshSession();
    if (!m_store)
        co_return false;

    const Channel chosen = co_await channel();
    if (chosen == Channel::none || !m_store)
        co_return bool(m_store);
    const std::optional<EncouragementNote> note = co_await m_store->cloud()->encouragement()->next();
    if (!note || !mayDeliver())
        co_return bool(m_store);

    if (chosen == Channel::alert) {
        co_await m_hooks->sendAlert(*note); // a refusal of the desktop changes nothing here
        co_return bool(m_store);
    }
    if (!m_hooks->mayPresent())
        co_return true;
    CloudStore *cloud = m_store->cloud();
    cloud->encouragement()->present(*note);
    m_hooks->refreshNotch();
    co_await m_clock->sleep(noteDisplay, stop); // a stop here ends the loop with the note shown
    if (!m_store)
        co_return false;
    m_store->cloud()->encouragement()->setNote(std::nullopt);
    m_hooks->refreshNotch();
    co_return true;
}

} // namespace vorno
