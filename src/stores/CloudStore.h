#pragma once

#include "core/CloudSession.h"
#include "services/BrowserLogin.h"
#include "stores/OperationGate.h"
#include "support/Clock.h"
#include "support/Words.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimeZone>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace vorno {

class AccountEncouragement;
class AccountNote;
class CloudTransport;
class CredentialStore;

struct CloudStoreOptions
{
    std::chrono::nanoseconds loginTimeout = BrowserLogin::defaultTimeout;
    BrowserLogin::Opener openBrowser = BrowserLogin::defaultOpener();
    QString callbackScheme = QString::fromLatin1(build::appIdentifier);
    std::chrono::nanoseconds fileSessionWait = std::chrono::seconds(75);
    std::chrono::nanoseconds fileSessionPoll = std::chrono::milliseconds(50);
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    Clock *clock = Clock::continuous(); // the login deadline and the wait for a file session
    QTimeZone timeZone = QTimeZone::systemTimeZone();
};

// Everything that needs the user's account, on the main thread: the session
// and its lifecycle here, the note being written in note(), encouragement in
// encouragement(). The three share one gate, so one operation runs at a time
// and a sign-out or quit drops the results of every operation before it.
class CloudStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool signedIn READ isSignedIn NOTIFY sessionChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)

public:
    CloudStore(std::unique_ptr<CloudTransport> api, std::unique_ptr<CredentialStore> vault,
               CloudStoreOptions options = CloudStoreOptions(), QObject *parent = nullptr);
    ~CloudStore() override;

    [[nodiscard]] const std::optional<CloudSession> &session() const { return m_session; }
    [[nodiscard]] bool isSignedIn() const { return m_session.has_value(); }
    [[nodiscard]] bool isBusy() const { return m_gate->isBusy(); }
    // Busy with nothing but refreshing the session: the note may still be
    // edited, and a send waits for the refresh to end.
    [[nodiscard]] bool isRefreshing() const { return m_gate->isRefreshing(); }
    [[nodiscard]] const std::optional<Words> &notice() const { return m_notice; }
    [[nodiscard]] BrowserLogin *browser() const { return m_browser; }
    // The clock of every wait on the account's behalf.
    [[nodiscard]] Clock *clock() const { return m_options.clock; }
    [[nodiscard]] AccountNote *note() const { return m_note; }
    [[nodiscard]] AccountEncouragement *encouragement() const { return m_encouragement; }

    QCoro::Task<> restore();
    QCoro::Task<> login(QUrl origin);
    QCoro::Task<> refreshSession();
    QCoro::Task<> logout();
    // A validated session for `owner`, waiting while another operation runs.
    // Throws CloudError (authentication, unavailable after the wait) or
    // CancelledError; never sets a notice.
    [[nodiscard]] QCoro::Task<CloudSession> fileSession(QString owner, std::stop_token stop = {});
    // False when an unsaved note could not be kept.
    [[nodiscard]] bool prepareToQuit();

Q_SIGNALS:
    void sessionChanged();
    void busyChanged();
    void noticeChanged();

private:
    friend class AccountNote;
    friend class AccountEncouragement;
    using Ticket = OperationGate::Ticket;

    // Sets the notice for a failure of restore, login, refreshSession or send.
    void handleFailure(const std::exception_ptr &error, Words storageNotice, bool conflict);
    // Awaits an operation's steps; a failure while `ticket` is current becomes
    // its notice, then the operation ends. True when it failed.
    [[nodiscard]] QCoro::Task<bool> runOperation(QCoro::Task<> steps, Ticket ticket, Words storageNotice,
                                                 bool conflict);
    [[nodiscard]] QCoro::Task<> restoreSteps(Ticket ticket);
    [[nodiscard]] QCoro::Task<> refreshSteps(CloudSession session, Ticket ticket);
    [[nodiscard]] QCoro::Task<> loginSteps(QUrl origin, Ticket ticket);
    [[nodiscard]] QCoro::Task<> accept(CloudSession session, Ticket ticket);
    // The session, refreshed once when the service no longer takes its token.
    [[nodiscard]] QCoro::Task<CloudSession> validated(CloudSession session, Ticket ticket);
    void lock();
    void cancelLogin();

    void setSession(std::optional<CloudSession> session);
    void setNotice(std::optional<Words> notice);

    std::unique_ptr<CloudTransport> m_api;
    std::unique_ptr<CredentialStore> m_vault;
    CloudStoreOptions m_options;
    OperationGate *m_gate; // first child, so it is gone before the others
    BrowserLogin *m_browser;
    AccountNote *m_note;
    AccountEncouragement *m_encouragement;

    std::optional<CloudSession> m_session;
    std::optional<Words> m_notice;
    bool m_restored = false;
};

} // namespace vorno
