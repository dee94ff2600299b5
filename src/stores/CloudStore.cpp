#include "stores/CloudStore.h"

#include "support/ChangeSignal.h"

#include "core/CloudError.h"
#include "core/NativeLogin.h"
#include "core/Text.h"
#include "services/CloudTransport.h"
#include "services/CredentialStore.h"
#include "support/CancelledError.h"
#include "support/ContinuousClock.h"
#include "support/Spawn.h"

#include <QPointer>
#include <QStringDecoder>

#include <utility>

namespace vorno {

namespace {

const QString sessionKey = QStringLiteral("session");

QString draftKey(const QString &userId)
{
    return QStringLiteral("draft:") + userId;
}

QString pendingKey(const QString &userId)
{
    return QStringLiteral("pending:") + userId;
}

std::optional<QString> utf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

CloudStore::CloudStore(std::unique_ptr<CloudTransport> api, std::unique_ptr<CredentialStore> vault,
                       CloudStoreOptions options, QObject *parent)
    : QObject(parent), m_api(std::move(api)), m_vault(std::move(vault)), m_options(std::move(options)),
      m_browser(new BrowserLogin(m_options.loginTimeout, m_options.openBrowser, m_options.callbackScheme, this))
{
}

CloudStore::~CloudStore() = default;

// ----------------------------------------------------------------- state --

bool CloudStore::isDirty() const
{
    return m_session && m_text != m_savedText;
}

bool CloudStore::canSend() const
{
    return m_session && (!m_busy || m_refreshing) && !m_acknowledged && m_draftReadable && !Text::isBlank(m_text)
        && m_text.size() <= maximumNoteLength && Text::isWellFormed(m_text)
        && (!m_pending || m_pending->text == m_text);
}

void CloudStore::updateDerived()
{
    const bool dirty = isDirty();
    if (dirty != m_lastDirty) {
        m_lastDirty = dirty;
        Q_EMIT dirtyChanged();
    }
    const bool sendable = canSend();
    if (sendable != m_lastCanSend) {
        m_lastCanSend = sendable;
        Q_EMIT canSendChanged();
    }
}

void CloudStore::setSession(std::optional<CloudSession> session)
{
    if (assignAndNotify(this, m_session, std::move(session), &CloudStore::sessionChanged))
        updateDerived();
}

void CloudStore::setBusy(bool busy, bool refreshing)
{
    const bool wasRefreshing = m_refreshing;
    m_refreshing = busy && refreshing;
    if (busy == m_busy && m_refreshing == wasRefreshing)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
    updateDerived();
    if (wasRefreshing && !busy && std::exchange(m_sendAfterRefresh, false))
        spawn(send());
}

void CloudStore::setNotice(std::optional<Words> notice)
{
    assignAndNotify(this, m_notice, std::move(notice), &CloudStore::noticeChanged);
}

void CloudStore::setPending(std::optional<PendingWork> pending)
{
    if (assignAndNotify(this, m_pending, std::move(pending), &CloudStore::pendingChanged))
        updateDerived();
}

void CloudStore::setAcknowledged(bool acknowledged)
{
    if (assignAndNotify(this, m_acknowledged, acknowledged, &CloudStore::acknowledgedChanged))
        updateDerived();
}

void CloudStore::setText(QString text)
{
    if (assignAndNotify(this, m_text, std::move(text), &CloudStore::textChanged))
        updateDerived();
}

void CloudStore::setSavedText(QString savedText)
{
    if (assignAndNotify(this, m_savedText, std::move(savedText), &CloudStore::savedTextChanged))
        updateDerived();
}

void CloudStore::setEncouragementNote(std::optional<EncouragementNote> note)
{
    assignAndNotify(this, m_encouragementNote, std::move(note), &CloudStore::encouragementNoteChanged);
}

void CloudStore::setEncouragementAvailable(bool available)
{
    assignAndNotify(this, m_encouragementAvailable, available, &CloudStore::encouragementAvailableChanged);
}

void CloudStore::setEncouragementReadFailed(bool failed)
{
    assignAndNotify(this, m_encouragementReadFailed, failed, &CloudStore::encouragementReadFailedChanged);
}

void CloudStore::setEncouragementReading(bool reading)
{
    assignAndNotify(this, m_encouragementReading, reading, &CloudStore::encouragementReadingChanged);
}

void CloudStore::setEncouragementSettings(std::optional<EncouragementState> settings)
{
    assignAndNotify(this, m_encouragementSettings, std::move(settings), &CloudStore::encouragementSettingsChanged);
}

void CloudStore::setDraftReadable(bool readable)
{
    m_draftReadable = readable;
    updateDerived();
}

void CloudStore::finallyStep(const QUuid &ticket)
{
    if (isCurrent(ticket))
        setBusy(false);
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

void CloudStore::clearEncouragement()
{
    setEncouragementNote(std::nullopt);
    setEncouragementAvailable(false);
    setEncouragementSettings(std::nullopt);
    setEncouragementReadFailed(false);
    setEncouragementReading(false);
}

void CloudStore::cancelLogin()
{
    m_browser->finish(std::make_exception_ptr(CancelledError()));
}

// --------------------------------------------------------------- session --

QCoro::Task<> CloudStore::restore()
{
    if (m_restored || m_busy || m_session)
        co_return;
    m_restored = true;
    setBusy(true);
    const QUuid ticket = m_generation;
    const QPointer guard(this);
    const bool failed = co_await runOperation(restoreSteps(ticket), ticket, Words::cloudLoginStorage, false);
    if (guard && failed)
        m_restored = false; // a later restore may try again
}

QCoro::Task<bool> CloudStore::runOperation(QCoro::Task<> steps, QUuid ticket, Words storageNotice, bool conflict)
{
    const QPointer guard(this);
    std::exception_ptr failure;
    try {
        co_await std::move(steps);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!guard)
        co_return false;
    const bool failed = failure && isCurrent(ticket);
    if (failed)
        handleFailure(failure, storageNotice, conflict);
    finallyStep(ticket);
    co_return failed;
}

QCoro::Task<> CloudStore::restoreSteps(QUuid ticket)
{
    const QPointer guard(this);
    co_await m_vault->prepare();
    if (!guard || !isCurrent(ticket))
        co_return;
    const std::optional<QByteArray> stored = m_vault->read(sessionKey);
    if (!stored)
        co_return;
    const CloudSession previous = CloudSession::fromJson(*stored);
    CloudSession refreshed = co_await m_api->refresh(previous);
    if (!guard || !isCurrent(ticket))
        co_return;
    if (refreshed.user.id != previous.user.id)
        throw CloudError(CloudFailure::authentication);
    m_vault->write(refreshed.toJson(), sessionKey);
    co_await accept(std::move(refreshed), ticket);
}

QCoro::Task<> CloudStore::login(QUrl origin)
{
    if (m_busy || m_session)
        co_return;
    setBusy(true);
    setNotice(std::nullopt);
    const QUuid ticket = m_generation;
    co_await runOperation(loginSteps(std::move(origin), ticket), ticket, Words::cloudLoginStorage, false);
}

QCoro::Task<> CloudStore::loginSteps(QUrl origin, QUuid ticket)
{
    const NativeLogin intent;
    const QPointer guard(this);
    const QString callback = co_await m_browser->start(std::move(origin), intent);
    if (!guard || !isCurrent(ticket))
        co_return;
    const QString code = intent.code(callback, m_options.callbackScheme);
    CloudSession session = co_await m_api->exchange(code, intent.verifier());
    if (!guard || !isCurrent(ticket))
        co_return;
    co_await accept(std::move(session), ticket);
}

QCoro::Task<> CloudStore::accept(CloudSession session, QUuid ticket)
{
    const QPointer guard(this);
    const QString owner = co_await m_api->owner(session);
    if (!guard || !isCurrent(ticket))
        co_return;
    if (owner != session.user.id)
        throw CloudError(CloudFailure::authentication);

    const QString userId = session.user.id;
    m_vault->write(session.toJson(), sessionKey);
    QString draft;
    if (const std::optional<QByteArray> bytes = m_vault->read(draftKey(userId))) {
        const std::optional<QString> text = utf8(*bytes);
        if (!text)
            throw CloudError(CloudFailure::storage);
        draft = *text;
    }
    std::optional<PendingWork> pending;
    if (const std::optional<QByteArray> bytes = m_vault->read(pendingKey(userId))) {
        pending = PendingWork::fromJson(*bytes);
        if (pending->ownerId != userId)
            throw CloudError(CloudFailure::storage);
    }

    setSession(std::move(session));
    setText(draft);
    setSavedText(draft);
    setPending(pending);
    setAcknowledged(false);
    if (pending) {
        // An unconfirmed note takes the place of the draft.
        setText(pending->text);
        setSavedText(pending->text);
    }
    if (const auto rescued = m_rescuedDrafts.constFind(userId); rescued != m_rescuedDrafts.cend()) {
        const QString text = *rescued;
        m_rescuedDrafts.remove(userId);
        setText(text); // shows as unsaved
    }
    setDraftReadable(true);
    setNotice(std::nullopt);
}

QCoro::Task<CloudSession> CloudStore::validated(CloudSession session, QUuid ticket)
{
    const QPointer guard(this);
    try {
        const QString owner = co_await m_api->owner(session);
        if (owner == session.user.id)
            co_return session;
    } catch (const CloudError &error) {
        if (error.failure() != CloudFailure::authentication)
            throw;
    }
    if (!guard || !isCurrent(ticket))
        throw CloudError(CloudFailure::authentication);
    // The service no longer takes the token: refresh it once.
    CloudSession refreshed = co_await m_api->refresh(session);
    if (!guard || !isCurrent(ticket) || refreshed.user.id != session.user.id)
        throw CloudError(CloudFailure::authentication);
    m_vault->write(refreshed.toJson(), sessionKey);
    const QString owner = co_await m_api->owner(refreshed);
    if (!guard || owner != refreshed.user.id || !isCurrent(ticket))
        throw CloudError(CloudFailure::authentication);
    setSession(refreshed);
    co_return refreshed;
}

QCoro::Task<> CloudStore::refreshSession()
{
    if (m_busy || !m_session)
        co_return;
    setBusy(true, true);
    const QUuid ticket = m_generation;
    co_await runOperation(refreshSteps(*m_session, ticket), ticket, Words::cloudStorage, false);
}

QCoro::Task<> CloudStore::refreshSteps(CloudSession session, QUuid ticket)
{
    // validated() keeps a refreshed session itself; nothing more to do with it.
    co_await validated(std::move(session), ticket);
}

bool CloudStore::saveLocal()
{
    if (!m_session || !m_draftReadable)
        return false;
    if (!Text::isWellFormed(m_text)) {
        // Stored, it would come back changed; the editor keeps it as typed.
        setNotice(Words::cloudStorage);
        return false;
    }
    try {
        m_vault->write(m_text.isEmpty() ? std::nullopt : std::optional(m_text.toUtf8()), draftKey(m_session->user.id));
    } catch (const std::exception &) {
        setNotice(Words::cloudStorage);
        return false;
    }
    setSavedText(m_text);
    setNotice(Words::saved);
    return true;
}

void CloudStore::lock()
{
    clearEncouragement();
    if (isDirty() && !saveLocal())
        m_rescuedDrafts.insert(m_session->user.id, m_text);
    try {
        m_vault->write(std::nullopt, sessionKey);
    } catch (const std::exception &) {
        // The session is over either way; a stale entry fails its next refresh.
    }
    m_generation = QUuid::createUuid();
    setSession(std::nullopt);
    setPending(std::nullopt);
    setBusy(false);
    setDraftReadable(false);
}

QCoro::Task<> CloudStore::logout()
{
    clearEncouragement();
    if (!m_session) {
        cancelLogin();
        m_generation = QUuid::createUuid();
        setBusy(false);
        co_return;
    }
    if (isDirty() && !saveLocal())
        co_return; // the notice of saveLocal() says why the session stays
    try {
        m_vault->write(std::nullopt, sessionKey);
    } catch (const std::exception &) {
        setNotice(Words::cloudStorage);
        co_return;
    }
    m_generation = QUuid::createUuid();
    cancelLogin();
    const CloudSession old = *m_session;
    setSession(std::nullopt);
    setPending(std::nullopt);
    setText(QString());
    setSavedText(QString());
    setDraftReadable(false);
    setBusy(false);

    const QUuid ticket = m_generation;
    const QPointer guard(this);
    bool confirmed = true;
    try {
        co_await m_api->revoke(old);
    } catch (...) {
        confirmed = false;
    }
    if (guard && isCurrent(ticket) && !m_session)
        setNotice(confirmed ? std::nullopt : std::optional(Words::cloudSignedOutOffline));
}

QCoro::Task<CloudSession> CloudStore::fileSession(QString owner, std::stop_token stop)
{
    if (!m_session || m_session->user.id != owner)
        throw CloudError(CloudFailure::authentication);
    const QUuid ticket = m_generation;
    const auto deadline = ContinuousClock::now() + m_options.fileSessionWait;
    const QPointer guard(this);
    // The one deliberate poll: wait for a sign-in or refresh to finish.
    while (true) {
        if (stop.stop_requested())
            throw CancelledError();
        if (!guard || !isCurrent(ticket) || !m_session || m_session->user.id != owner)
            throw CloudError(CloudFailure::authentication);
        if (!m_busy)
            break;
        if (ContinuousClock::now() >= deadline)
            throw CloudError(CloudFailure::unavailable);
        co_await ContinuousClock::sleep(m_options.fileSessionPoll, stop);
    }

    setBusy(true);
    std::exception_ptr failure;
    std::optional<CloudSession> result;
    try {
        result = co_await validated(*m_session, ticket);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!guard)
        throw CloudError(CloudFailure::authentication);
    finallyStep(ticket);
    if (failure)
        std::rethrow_exception(failure);
    if (!isCurrent(ticket) || !m_session || m_session->user.id != owner)
        throw CloudError(CloudFailure::authentication);
    co_return *result;
}

bool CloudStore::prepareToQuit()
{
    if (isDirty() && !saveLocal())
        return false;
    cancelLogin();
    m_generation = QUuid::createUuid();
    setBusy(false);
    return true;
}

// ----------------------------------------------------------------- notes --

QCoro::Task<> CloudStore::send()
{
    if (!canSend())
        co_return;
    if (m_refreshing) {
        m_sendAfterRefresh = true;
        co_return;
    }
    const CloudSession session = *m_session;
    setBusy(true);
    setNotice(std::nullopt);
    const QUuid ticket = m_generation;
    co_await runOperation(sendSteps(session, ticket), ticket, Words::cloudStorage, true);
}

QCoro::Task<> CloudStore::sendSteps(CloudSession session, QUuid ticket)
{
    // A retry sends the very same record: same id, same day.
    const PendingWork record
        = m_pending ? *m_pending : PendingWork::make(session.user.id, m_text, m_options.now(), m_options.timeZone);
    m_vault->write(record.toJson(), pendingKey(session.user.id));
    setPending(record);
    if (!saveLocal())
        co_return;
    const QPointer guard(this);
    const CloudSession valid = co_await validated(session, ticket);
    if (!guard || !isCurrent(ticket))
        co_return;
    co_await m_api->save(record, valid);
    if (!guard || !isCurrent(ticket))
        co_return;
    setAcknowledged(true);
    setNotice(Words::cloudSaved);
}

void CloudStore::newNote()
{
    if (m_busy || (m_pending && !m_acknowledged) || !m_session)
        return;
    if (!saveLocal())
        return;
    try {
        m_vault->write(std::nullopt, draftKey(m_session->user.id));
        m_vault->write(std::nullopt, pendingKey(m_session->user.id));
    } catch (const std::exception &) {
        setNotice(Words::cloudStorage);
        return;
    }
    setPending(std::nullopt);
    setAcknowledged(false);
    setText(QString());
    setSavedText(QString());
    setNotice(Words::saved);
}

// --------------------------------------------------------- encouragement --

QCoro::Task<> CloudStore::refreshEncouragementAvailability()
{
    if (m_busy || !m_session)
        co_return;
    setBusy(true);
    setEncouragementReading(true);
    setEncouragementReadFailed(false);
    const QUuid ticket = m_generation;
    const QString userId = m_session->user.id;
    const QPointer guard(this);
    bool failed = false;
    try {
        const CloudSession valid = co_await validated(*m_session, ticket);
        if (!guard || !isCurrent(ticket))
            co_return;
        const EncouragementState state = co_await m_api->encouragement(valid);
        if (guard && isCurrent(ticket)) {
            if (state.ownerId != userId)
                throw CloudError(CloudFailure::invalid);
            setEncouragementAvailable(state.available);
            setEncouragementSettings(state);
        }
    } catch (...) {
        // Reads never end the session and never show a notice.
        failed = true;
    }
    if (!guard || !isCurrent(ticket))
        co_return;
    if (failed)
        setEncouragementReadFailed(true);
    setBusy(false);
    setEncouragementReading(false);
}

QCoro::Task<std::optional<EncouragementNote>> CloudStore::nextEncouragement()
{
    if (m_busy || !m_session)
        co_return std::nullopt;
    setBusy(true);
    const QUuid ticket = m_generation;
    const QPointer guard(this);
    std::optional<EncouragementNote> note;
    try {
        note = co_await claimSteps(*m_session, ticket);
    } catch (...) {
        note.reset();
    }
    if (guard)
        finallyStep(ticket);
    co_return note;
}

QCoro::Task<std::optional<EncouragementNote>> CloudStore::claimSteps(CloudSession session, QUuid ticket)
{
    const QString userId = session.user.id;
    const QPointer guard(this);
    const CloudSession valid = co_await validated(std::move(session), ticket);
    if (!guard || !isCurrent(ticket))
        co_return std::nullopt;
    const EncouragementState state = co_await m_api->encouragement(valid);
    if (!guard || !isCurrent(ticket) || state.ownerId != userId)
        co_return std::nullopt;
    setEncouragementAvailable(state.available);
    if (!state.available || !state.pro || !state.preferences.enabled || !state.preferences.mac) {
        setEncouragementNote(std::nullopt);
        co_return std::nullopt;
    }
    const EncouragementClaim claim = co_await m_api->claimEncouragement(valid);
    if (!guard || !isCurrent(ticket) || claim.ownerId != userId || !claim.message
        || !claim.message->valid(m_options.now()))
        co_return std::nullopt;
    co_return claim.message;
}

void CloudStore::presentEncouragement(const EncouragementNote &note)
{
    if (m_session && note.valid(m_options.now()))
        setEncouragementNote(note);
}

} // namespace vorno
