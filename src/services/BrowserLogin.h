#pragma once

#include "BuildConstants.h"
#include "core/NativeLogin.h"
#include "support/Clock.h"
#include "support/OneShot.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <exception>
#include <functional>
#include <optional>
#include <stop_token>
#include <variant>

namespace vorno {

// Opens the sign-in page in the browser and waits for the browser to call the
// application back, for the deadline, or for the owner to end the attempt.
// At most one sign-in is pending.
class BrowserLogin : public QObject
{
    Q_OBJECT
public:
    // Opens a URL in the browser; true when the request to open it was accepted.
    using Opener = std::function<bool(const QUrl &)>;
    // The callback URL, or why the sign-in ended without one.
    using Result = std::variant<QString, std::exception_ptr>;

    static constexpr std::chrono::seconds defaultTimeout {600};

    explicit BrowserLogin(std::chrono::nanoseconds timeout = defaultTimeout, Opener open = defaultOpener(),
                          QString scheme = QString::fromLatin1(build::appIdentifier),
                          Clock *clock = Clock::continuous(), QObject *parent = nullptr);
    ~BrowserLogin() override;

    [[nodiscard]] static Opener defaultOpener();

    // Returns the raw callback URL that matched, or throws: CloudError
    // (authentication) when a sign-in is already pending or the deadline passed,
    // CloudError(unavailable) when the browser could not be opened, or whatever
    // finish() was given.
    [[nodiscard]] QCoro::Task<QString> start(QUrl origin, NativeLogin intent);

    // Offers a URL opened with the application (untrusted); true when it
    // completed the pending sign-in.
    bool receive(const QString &url);

    // Ends the pending sign-in, if any, with `result`.
    void finish(Result result);

    [[nodiscard]] bool isPending() const { return m_continuation.has_value(); }

    // The address of the sign-in page for one attempt.
    [[nodiscard]] static QUrl signInUrl(const QUrl &origin, const NativeLogin &intent);

private:
    static QCoro::Task<> runDeadline(QPointer<BrowserLogin> login, QString state, Clock *clock,
                                     std::chrono::nanoseconds timeout, std::stop_token stop);

    std::chrono::nanoseconds m_timeout;
    Opener m_open;
    QString m_scheme;
    Clock *m_clock;
    std::optional<OneShot<QString>> m_continuation;
    std::optional<QString> m_state;
    std::optional<std::stop_source> m_deadline;
};

} // namespace vorno
