#include "stores/AccountNote.h"

#include "core/CloudError.h"
#include "core/Text.h"
#include "services/CloudTransport.h"
#include "services/CredentialStore.h"
#include "stores/CloudStore.h"
#include "support/ChangeSignal.h"
#include "support/Spawn.h"

#include <QStringDecoder>

#include <utility>

namespace vorno {

namespace {

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

AccountNote::AccountNote(CloudStore *cloud) : QObject(cloud), m_cloud(cloud)
{
    connect(cloud, &CloudStore::sessionChanged, this, &AccountNote::updateDerived);
    connect(cloud, &CloudStore::busyChanged, this, [this] {
        updateDerived();
        if (!m_cloud->isBusy() && std::exchange(m_sendAfterRefresh, false))
            spawn(send());
    });
}

bool AccountNote::isDirty() const
{
    return m_cloud->isSignedIn() && m_text != m_savedText;
}

bool AccountNote::canSend() const
{
    return m_cloud->isSignedIn() && (!m_cloud->isBusy() || m_cloud->isRefreshing()) && !m_acknowledged && m_readable
        && !Text::isBlank(m_text) && m_text.size() <= maximumLength && Text::isWellFormed(m_text)
        && (!m_pending || m_pending->text == m_text);
}

void AccountNote::updateDerived()
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

void AccountNote::setText(QString text)
{
    if (assignAndNotify(this, m_text, std::move(text), &AccountNote::textChanged))
        updateDerived();
}

void AccountNote::setSavedText(QString savedText)
{
    if (assignAndNotify(this, m_savedText, std::move(savedText), &AccountNote::savedTextChanged))
        updateDerived();
}

void AccountNote::setPending(std::optional<PendingWork> pending)
{
    if (assignAndNotify(this, m_pending, std::move(pending), &AccountNote::pendingChanged))
        updateDerived();
}

void AccountNote::setAcknowledged(bool acknowledged)
{
    if (assignAndNotify(this, m_acknowledged, acknowledged, &AccountNote::acknowledgedChanged))
        updateDerived();
}

void AccountNote::setReadable(bool readable)
{
    m_readable = readable;
    updateDerived();
}

void AccountNote::open(const QString &userId)
{
    CredentialStore &vault = *m_cloud->m_vault;
    QString draft;
    if (const std::optional<QByteArray> bytes = vault.read(draftKey(userId))) {
        const std::optional<QString> text = utf8(*bytes);
        if (!text)
            throw CloudError(CloudFailure::storage);
        draft = *text;
    }
    std::optional<PendingWork> pending;
    if (const std::optional<QByteArray> bytes = vault.read(pendingKey(userId))) {
        pending = PendingWork::fromJson(*bytes);
        if (pending->ownerId != userId)
            throw CloudError(CloudFailure::storage);
    }
    // An unconfirmed note takes the place of the draft.
    const QString kept = pending ? pending->text : draft;
    setText(kept);
    setSavedText(kept);
    setPending(std::move(pending));
    setAcknowledged(false);
    if (const auto rescued = m_rescuedDrafts.constFind(userId); rescued != m_rescuedDrafts.cend()) {
        const QString text = *rescued;
        m_rescuedDrafts.remove(userId);
        setText(text); // shows as unsaved
    }
    setReadable(true);
}

void AccountNote::rescue()
{
    if (isDirty() && !saveLocal())
        m_rescuedDrafts.insert(m_cloud->session()->user.id, m_text);
}

void AccountNote::forget(bool clearText)
{
    setPending(std::nullopt);
    if (clearText) {
        setText(QString());
        setSavedText(QString());
    }
    setReadable(false);
}

bool AccountNote::saveLocal()
{
    const std::optional<CloudSession> &session = m_cloud->session();
    if (!session || !m_readable)
        return false;
    if (!Text::isWellFormed(m_text)) {
        // Stored, it would come back changed; the editor keeps it as typed.
        m_cloud->setNotice(Words::cloudStorage);
        return false;
    }
    try {
        m_cloud->m_vault->write(m_text.isEmpty() ? std::nullopt : std::optional(m_text.toUtf8()),
                                draftKey(session->user.id));
    } catch (const std::exception &) {
        m_cloud->setNotice(Words::cloudStorage);
        return false;
    }
    setSavedText(m_text);
    m_cloud->setNotice(Words::saved);
    return true;
}

QCoro::Task<> AccountNote::send()
{
    if (!canSend())
        co_return;
    if (m_cloud->isRefreshing()) {
        m_sendAfterRefresh = true;
        co_return;
    }
    const CloudSession session = *m_cloud->session();
    const OperationGate::Ticket ticket = m_cloud->m_gate->begin();
    m_cloud->setNotice(std::nullopt);
    co_await m_cloud->runOperation(sendSteps(session, ticket), ticket, Words::cloudStorage, true);
}

QCoro::Task<> AccountNote::sendSteps(CloudSession session, OperationGate::Ticket ticket)
{
    // A retry sends the very same record: same id, same day.
    const CloudStoreOptions &options = m_cloud->m_options;
    const PendingWork record
        = m_pending ? *m_pending : PendingWork::make(session.user.id, m_text, options.now(), options.timeZone);
    m_cloud->m_vault->write(record.toJson(), pendingKey(session.user.id));
    setPending(record);
    if (!saveLocal())
        co_return;
    const CloudSession valid = co_await m_cloud->validated(session, ticket);
    if (!ticket.isCurrent())
        co_return;
    co_await m_cloud->m_api->save(record, valid);
    if (!ticket.isCurrent())
        co_return;
    setAcknowledged(true);
    m_cloud->setNotice(Words::cloudSaved);
}

void AccountNote::newNote()
{
    const std::optional<CloudSession> &session = m_cloud->session();
    if (m_cloud->isBusy() || (m_pending && !m_acknowledged) || !session)
        return;
    if (!saveLocal())
        return;
    try {
        m_cloud->m_vault->write(std::nullopt, draftKey(session->user.id));
        m_cloud->m_vault->write(std::nullopt, pendingKey(session->user.id));
    } catch (const std::exception &) {
        m_cloud->setNotice(Words::cloudStorage);
        return;
    }
    setPending(std::nullopt);
    setAcknowledged(false);
    setText(QString());
    setSavedText(QString());
    m_cloud->setNotice(Words::saved);
}

} // namespace vorno
