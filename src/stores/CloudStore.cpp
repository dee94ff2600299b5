#include "stores/CloudStore.h"

#include "core/CloudError.h"
#include "core/NativeLogin.h"
#include "services/CloudTransport.h"
#include "services/CredentialStore.h"
#include "stores/AccountEncouragement.h"
#include "stores/AccountNote.h"
#include "support/CancelledError.h"
#include "support/ChangeSignal.h"

#include <QPointer>

namespace vorno {

namespace {

const QString sessionKey = QStringLiteral("session");

} // namespace

CloudStore::CloudStore(std::unique_ptr<CloudTransport> api, std::unique_ptr<CredentialStore> vault,
                       CloudStoreOptions options, QObject *parent)
    : QObject(parent), m_api(std::move(api)), m_vault(std::move(vault)), m_options(std::move(options)),
      m_gate(new OperationGate(this)), m_browser(new BrowserLogin(m_options.loginTimeout, m_options.openBrowser,
                                                                  m_options.callbackScheme, m_options.clock, this)),
      m_note(new AccountNote(this)), m_encouragement(new AccountEncouragement(this))
{
    connect(m_gate, &OperationGate::busyChanged, this, &CloudStore::busyChanged);
}

CloudStore::~CloudStore()
{
    // Operations still suspended must not touch members as they go.
    m_gate->endGeneration();
}

void CloudStore::setSession(std::optional<CloudSession> session)
{
    assignAndNotify(this, m_session, std::move(session), &CloudStore::sessionChanged);
}

void CloudStore::setNotice(std::optional<Words> notice)
{
    assignAndNotify(this, m_notice, std::move(notice), &CloudStore::noticeChanged);
}

void CloudStore::handleFailure(const std::exception_ptr &error, Words storageNotice, bool conflict)
{
    try {
        std::rethrow_exception(error);
    } catch (const CloudError &failure) {
        switch (failure.failure()) {
        case CloudFailure::storage:
            setNotice(storageNotice);
            return;
        case CloudFailure::authentication:
            lock();
            setNotice(Words::cloudRetry);
            return;
        case CloudFailure::changed:
            setNotice(conflict ? Words::cloudConflict : Words::cloudRetry);
            return;
        case CloudFailure::unavailable:
        case CloudFailure::invalid:
            break;
        }
        setNotice(Words::cloudRetry);
    } catch (...) {
        setNotice(Words::cloudRetry);
    }
}

void CloudStore::cancelLogin()
{
    m_browser->finish(std::make_exception_ptr(CancelledError()));
}

QCoro::Task<bool> CloudStore::runOperation(QCoro::Task<> steps, Ticket ticket, Words storageNotice, bool conflict)
{
    std::exception_ptr failure;
    try {
        co_await std::move(steps);
    } catch (...) {
        failure = std::current_exception();
    }
    const bool failed = failure && ticket.isCurrent();
    if (failed)
        handleFailure(failure, storageNotice, conflict);
    ticket.end();
    co_return failed;
}

QCoro::Task<> CloudStore::restore()
{
    if (m_restored || isBusy() || m_session)
        co_return;
    m_restored = true;
    const Ticket ticket = m_gate->begin();
    const bool failed = co_await runOperation(restoreSteps(ticket), ticket, Words::cloudLoginStorage, false);
    if (failed)
        m_restored = false; // a later restore may try again
}

QCoro::Task<> CloudStore::restoreSteps(Ticket ticket)
{
    co_await m_vault->prepare();
    if (!ticket.isCurrent())
        co_return;
    const std::optional<QByteArray> stored = m_vault->read(sessionKey);
    if (!stored)
        co_return;
    const CloudSession previous = CloudSession::fromJson(*stored);
    CloudSession refreshed = co_await m_api->refresh(previous);
    if (!ticket.isCurrent())
        co_return;
    if (refreshed.user.id != previous.user.id)
        throw CloudError(CloudFailure::authentication);
    m_vault->write(refreshed.toJson(), sessionKey);
    co_await accept(std::move(refreshed), ticket);
}

QCoro::Task<> CloudStore::login(QUrl origin)
{
    if (isBusy() || m_session)
        co_return;
    const Ticket ticket = m_gate->begin();
    setNotice(std::nullopt);
    co_await runOperation(loginSteps(std::move(origin), ticket), ticket, Words::cloudLoginStorage, false);
}

QCoro::Task<> CloudStore::loginSteps(QUrl origin, Ticket ticket)
{
    const NativeLogin intent;
    const QString callback = co_await m_browser->start(std::move(origin), intent);
    if (!ticket.isCurrent())
        co_return;
    const QString code = intent.code(callback, m_options.callbackScheme);
    CloudSession session = co_await m_api->exchange(code, intent.verifier());
    if (!ticket.isCurrent())
        co_return;
    co_await accept(std::move(session), ticket);
}

QCoro::Task<> CloudStore::accept(CloudSession session, Ticket ticket)
{
    const QString owner = co_await m_api->owner(session);
    if (!ticket.isCurrent())
        co_return;
    if (owner != session.user.id)
        throw CloudError(CloudFailure::authentication);
    const QString userId = session.user.id;
    m_vault->write(session.toJson(), sessionKey);
    m_note->open(userId);
    setSession(std::move(session));
    setNotice(std::nullopt);
}

QCoro::Task<CloudSession> CloudStore::validated(CloudSession session, Ticket ticket)
{
    try {
        const QString owner = co_await m_api->owner(session);
        if (owner == session.user.id)
            co_return session;
    } catch (const CloudError &error) {
        if (error.failure() != CloudFailure::authentication)
            throw;
    }
    if (!ticket.isCurrent())
        throw CloudError(CloudFailure::authentication);
    // The service no longer takes the token: refresh it once.
    CloudSession refreshed = co_await m_api->refresh(session);
    if (!ticket.isCurrent() || refreshed.user.id != session.user.id)
        throw CloudError(CloudFailure::authentication);
    m_vault->write(refreshed.toJson(), sessionKey);
    const QString owner = co_await m_api->owner(refreshed);
    if (!ticket.isCurrent() || owner != refreshed.user.id)
        throw CloudError(CloudFailure::authentication);
    setSession(refreshed);
    co_return refreshed;
}

QCoro::Task<> CloudStore::refreshSession()
{
    if (isBusy() || !m_session)
        co_return;
    const Ticket ticket = m_gate->begin(true);
    co_await runOperation(refreshSteps(*m_session, ticket), ticket, Words::cloudStorage, false);
}

QCoro::Task<> CloudStore::refreshSteps(CloudSession session, Ticket ticket)
{
    // validated() keeps a refreshed session itself; nothing more to do with it.
    co_await validated(std::move(session), ticket);
}

void CloudStore::lock()
{
    m_encouragement->clear();
    m_note->rescue();
    try {
        m_vault->write(std::nullopt, sessionKey);
    } catch (const std::exception &) {
        // The session is over either way; a stale entry fails its next refresh.
    }
    m_gate->endGeneration();
    setSession(std::nullopt);
    m_note->forget(false);
    m_gate->release();
}

QCoro::Task<> CloudStore::logout()
{
    m_encouragement->clear();
    if (!m_session) {
        cancelLogin();
        m_gate->endGeneration();
        m_gate->release();
        co_return;
    }
    if (m_note->isDirty() && !m_note->saveLocal())
        co_return; // the notice of saveLocal() says why the session stays
    try {
        m_vault->write(std::nullopt, sessionKey);
    } catch (const std::exception &) {
        setNotice(Words::cloudStorage);
        co_return;
    }
    m_gate->endGeneration();
    cancelLogin();
    const CloudSession old = *m_session;
    setSession(std::nullopt);
    m_note->forget(true);
    m_gate->release();

    const Ticket ticket = m_gate->ticket();
    bool confirmed = true;
    try {
        co_await m_api->revoke(old);
    } catch (...) {
        confirmed = false;
    }
    if (ticket.isCurrent() && !m_session)
        setNotice(confirmed ? std::nullopt : std::optional(Words::cloudSignedOutOffline));
}

QCoro::Task<CloudSession> CloudStore::fileSession(QString owner, std::stop_token stop)
{
    if (!m_session || m_session->user.id != owner)
        throw CloudError(CloudFailure::authentication);
    const Ticket waiting = m_gate->ticket();
    const auto deadline = m_options.clock->now() + m_options.fileSessionWait;
    // The one deliberate poll: wait for a sign-in or refresh to finish.
    while (true) {
        if (stop.stop_requested())
            throw CancelledError();
        if (!waiting.isCurrent() || !m_session || m_session->user.id != owner)
            throw CloudError(CloudFailure::authentication);
        if (!isBusy())
            break;
        if (m_options.clock->now() >= deadline)
            throw CloudError(CloudFailure::unavailable);
        co_await m_options.clock->sleep(m_options.fileSessionPoll, stop);
    }

    const Ticket ticket = m_gate->begin();
    std::exception_ptr failure;
    std::optional<CloudSession> result;
    try {
        result = co_await validated(*m_session, ticket);
    } catch (...) {
        failure = std::current_exception();
    }
    ticket.end();
    if (failure)
        std::rethrow_exception(failure);
    if (!ticket.isCurrent() || !m_session || m_session->user.id != owner)
        throw CloudError(CloudFailure::authentication);
    co_return *result;
}

bool CloudStore::prepareToQuit()
{
    if (m_note->isDirty() && !m_note->saveLocal())
        return false;
    cancelLogin();
    m_gate->endGeneration();
    m_gate->release();
    return true;
}

} // namespace vorno
