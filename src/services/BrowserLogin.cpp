#include "services/BrowserLogin.h"

#include "core/CloudError.h"
#include "core/WebUrl.h"
#include "support/CancelledError.h"
#include "support/Spawn.h"

#include <QDesktopServices>
#include <QPointer>

namespace vorno {

BrowserLogin::BrowserLogin(std::chrono::nanoseconds timeout, Opener open, QString scheme, Clock *clock, QObject *parent)
    : QObject(parent), m_timeout(timeout), m_open(std::move(open)), m_scheme(std::move(scheme)), m_clock(clock)
{
}

BrowserLogin::~BrowserLogin()
{
    // A waiting start() must not be left suspended forever.
    finish(std::make_exception_ptr(CancelledError()));
}

BrowserLogin::Opener BrowserLogin::defaultOpener()
{
    return [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

QUrl BrowserLogin::signInUrl(const QUrl &origin, const NativeLogin &intent)
{
    return WebUrl::withQuery(
        WebUrl::appending(origin, QStringLiteral("mac/sign-in")),
        {{QStringLiteral("state"), intent.state()}, {QStringLiteral("challenge"), intent.challenge()}});
}

QCoro::Task<QString> BrowserLogin::start(QUrl origin, NativeLogin intent)
{
    if (m_continuation)
        throw CloudError(CloudFailure::authentication);

    const OneShot<QString> result;
    // Recorded before the browser opens, so that an immediate callback matches.
    m_continuation = result;
    m_state = intent.state();

    if (!m_open(signInUrl(origin, intent))) {
        finish(std::make_exception_ptr(CloudError(CloudFailure::unavailable)));
    } else if (m_continuation) {
        m_deadline.emplace();
        spawn(runDeadline(QPointer(this), intent.state(), m_clock, m_timeout, m_deadline->get_token()));
    }
    co_return co_await result;
}

QCoro::Task<> BrowserLogin::runDeadline(QPointer<BrowserLogin> login, QString state, Clock *clock,
                                        std::chrono::nanoseconds timeout, std::stop_token stop)
{
    try {
        co_await clock->sleep(timeout, stop);
    } catch (const CancelledError &) {
        co_return;
    }
    // Holds the login only weakly: it may be gone, or on another attempt.
    if (login && login->m_state == state)
        login->finish(std::make_exception_ptr(CloudError(CloudFailure::authentication)));
}

bool BrowserLogin::receive(const QString &url)
{
    if (!m_continuation || !m_state || !NativeLogin::isCallback(url, *m_state, m_scheme))
        return false;
    finish(url);
    return true;
}

void BrowserLogin::finish(Result result)
{
    std::optional<OneShot<QString>> continuation = std::exchange(m_continuation, std::nullopt);
    m_state.reset();
    if (m_deadline) {
        m_deadline->request_stop();
        m_deadline.reset();
    }
    if (!continuation)
        return;
    if (auto *url = std::get_if<QString>(&result))
        continuation->resolve(std::move(*url));
    else
        continuation->fail(std::get<std::exception_ptr>(result));
}

} // namespace vorno
