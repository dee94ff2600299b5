#include "stores/FileCollectionStore.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "core/FileIntent.h"
#include "core/Text.h"
#include "services/FileCollectionOutbox.h"
#include "services/NativeFileClient.h"
#include "stores/CloudStore.h"
#include "support/ChangeSignal.h"
#include "support/Spawn.h"

namespace vorno {

FileCollectionStore::FileCollectionStore(CloudStore *cloud, NativeFileClient *client, std::optional<QString> outboxRoot,
                                         QObject *parent)
    : QObject(parent), m_gate(new OperationGate(this)), m_cloud(cloud), m_client(client), m_api(client),
      m_outboxRoot(std::move(outboxRoot))
{
    connect(m_gate, &OperationGate::busyChanged, this, [this] {
        Q_EMIT busyChanged();
        updateDerived();
    });
}

FileCollectionStore::~FileCollectionStore()
{
    stopPolling();
    // Runs still suspended must not touch members as they go.
    m_gate->endGeneration();
}

std::vector<CollectedFile> FileCollectionStore::files() const
{
    std::vector<CollectedFile> visible;
    if (!m_batch)
        return visible;
    for (const CollectedFile &file : m_batch->files) {
        if (!file.isFinishedWithWork())
            visible.push_back(file);
    }
    return visible;
}

bool FileCollectionStore::isCompleted() const
{
    return !isBusy() && m_batch && !m_batch->files.empty() && files().empty();
}

bool FileCollectionStore::isReady() const
{
    return !isBusy() && m_policy && m_checks.size() == m_policy->copy.checks.size() && !m_checks.isEmpty()
        && !m_checks.contains(false);
}

void FileCollectionStore::updateDerived()
{
    const bool completed = isCompleted();
    if (completed != m_lastCompleted) {
        m_lastCompleted = completed;
        Q_EMIT completedChanged();
    }
    const bool ready = isReady();
    if (ready != m_lastReady) {
        m_lastReady = ready;
        Q_EMIT readyChanged();
    }
}

void FileCollectionStore::setPolicy(std::optional<FileCollectionPolicy> policy)
{
    if (assignAndNotify(this, m_policy, std::move(policy), &FileCollectionStore::policyChanged))
        updateDerived();
}

void FileCollectionStore::setBatch(std::optional<FileCollectionBatch> batch)
{
    if (assignAndNotify(this, m_batch, std::move(batch), &FileCollectionStore::batchChanged))
        updateDerived();
}

void FileCollectionStore::setFailure(std::optional<QString> failure)
{
    assignAndNotify(this, m_failure, std::move(failure), &FileCollectionStore::failureChanged);
}

void FileCollectionStore::setBytesSent(qint64 bytes)
{
    assignAndNotify(this, m_bytesSent, bytes, &FileCollectionStore::bytesSentChanged);
}

void FileCollectionStore::setTransferring(std::optional<QString> id)
{
    assignAndNotify(this, m_transferring, std::move(id), &FileCollectionStore::transferringChanged);
}

void FileCollectionStore::setChecks(QList<bool> checks)
{
    if (assignAndNotify(this, m_checks, std::move(checks), &FileCollectionStore::checksChanged))
        updateDerived();
}

void FileCollectionStore::setCheck(qsizetype index, bool ticked)
{
    if (index < 0 || index >= m_checks.size())
        return;
    QList<bool> checks = m_checks;
    checks[index] = ticked;
    setChecks(std::move(checks));
}

void FileCollectionStore::resetChecks()
{
    setChecks(QList<bool>(m_policy ? m_policy->copy.checks.size() : 0, false));
}

FileCollectionOutbox FileCollectionStore::outbox(const QString &owner) const
{
    return FileCollectionOutbox(owner, m_api.origin(), m_outboxRoot);
}

void FileCollectionStore::persist(const QString &owner)
{
    if (!m_batch || m_batch->owner != owner)
        throw CloudError(CloudFailure::authentication);
    outbox(owner).write(*m_batch);
}

void FileCollectionStore::updateBatch(const QString &owner, const std::function<void(FileCollectionBatch &)> &change)
{
    FileCollectionBatch batch = *m_batch;
    change(batch);
    setBatch(std::move(batch));
    persist(owner);
}

void FileCollectionStore::updateFile(const QString &owner, qsizetype index,
                                     const std::function<void(CollectedFile &)> &change)
{
    updateBatch(owner, [&](FileCollectionBatch &batch) { change(batch.files[std::size_t(index)]); });
}

void FileCollectionStore::setRecordUnreadable(bool unreadable)
{
    assignAndNotify(this, m_recordUnreadable, unreadable, &FileCollectionStore::recordUnreadableChanged);
}

void FileCollectionStore::pickUpStored(const QString &owner)
{
    try {
        std::optional<FileCollectionBatch> stored = outbox(owner).recover(owner);
        setRecordUnreadable(false);
        if (stored)
            setBatch(std::move(stored));
    } catch (const std::exception &) {
        // A record that cannot be read is never overwritten: no new batch
        // until the user clears it.
        setRecordUnreadable(true);
        setFailure(QStringLiteral("local_cleanup_failed"));
    }
}

void FileCollectionStore::reset()
{
    m_gate->endGeneration();
    setRecordUnreadable(false);
    setPolicy(std::nullopt);
    setBatch(std::nullopt);
    setChecks({});
    m_gate->release();
    setFailure(std::nullopt);
    m_loadedLocale.reset();
}

void FileCollectionStore::apply(const FileProgress &progress, qsizetype index, const QString &owner)
{
    updateFile(owner, index, [&](CollectedFile &file) { file.apply(progress); });
    // The server holds the bytes now, so the recovery copy may go.
    const CollectedFile &file = m_batch->files[std::size_t(index)];
    if (file.mayDropLocalCopy())
        outbox(owner).removeBytes(file);
}

// --------------------------------------------------------------- restore --

void FileCollectionStore::restoreLocal()
{
    const std::optional<QString> user
        = m_cloud && m_cloud->session() ? std::optional(m_cloud->session()->user.id) : std::nullopt;
    const bool foreignPolicy = m_policy && (!user || m_policy->ownerId != *user);
    const bool foreignBatch = m_batch && (!user || m_batch->owner != *user);
    if (foreignPolicy || foreignBatch)
        reset();
    if (isBusy() || !user || m_batch)
        return;
    pickUpStored(*user);
}

QCoro::Task<> FileCollectionStore::load(QString locale)
{
    restoreLocal();
    if (!m_cloud || !m_cloud->session())
        co_return; // nothing to load for nobody
    const QString owner = m_cloud->session()->user.id;
    const bool policyForOwner = m_policy && m_policy->ownerId == owner;
    if (policyForOwner && (m_loadedLocale == locale || isBusy()))
        co_return;

    m_gate->endGeneration();
    const Run current = run(m_gate->ticket(), owner);
    setPolicy(std::nullopt);
    setChecks({});
    setFailure(std::nullopt);
    m_gate->release();
    try {
        co_await loadSteps(std::move(locale), current);
    } catch (const std::exception &) {
        if (current.isCurrent())
            setFailure(QStringLiteral("cloud_unavailable"));
    }
}

QCoro::Task<> FileCollectionStore::loadSteps(QString locale, Run run)
{
    const CloudSession session = co_await sessionFor(run);
    FileCollectionPolicy policy = co_await m_api.policy(locale, session);
    if (!run.isCurrent() || policy.ownerId != run.owner)
        co_return;
    const qsizetype statements = policy.copy.checks.size();
    setPolicy(std::move(policy));
    setChecks(QList<bool>(statements, false));
    m_loadedLocale = locale;
    if (!m_batch)
        pickUpStored(run.owner);
}

// ------------------------------------------------------------------ send --

QCoro::Task<CloudSession> FileCollectionStore::sessionFor(Run run)
{
    run.check();
    const CloudSession session = co_await m_cloud->fileSession(run.owner);
    run.check();
    co_return session;
}

QCoro::Task<> FileCollectionStore::send(QList<QUrl> urls)
{
    if (!isReady() || !m_cloud || !m_cloud->session() || m_policy->ownerId != m_cloud->session()->user.id)
        co_return;
    if (m_recordUnreadable && !m_batch) {
        setFailure(QStringLiteral("local_cleanup_failed"));
        co_return;
    }
    const Run current = run(m_gate->begin(), m_cloud->session()->user.id);
    setFailure(std::nullopt);
    std::optional<QString> failure;
    try {
        co_await sendSteps(std::move(urls), current);
    } catch (const FileCollectionError &error) {
        failure = error.failure().kind == FileCollectionFailure::Kind::server ? error.failure().code
                                                                              : QStringLiteral("transfer_interrupted");
    } catch (const std::exception &) {
        failure = QStringLiteral("transfer_interrupted");
    }
    // Nothing is shown for a run that a sign-out, another user or a newer
    // load has overtaken.
    if (failure && current.isCurrent())
        setFailure(failure);
    // A newer run owns busy now; only the current one may clear it.
    current.ticket.end();
}

void FileCollectionStore::stage(const QList<QUrl> &urls, const QString &owner)
{
    if (urls.isEmpty() || (!m_policy->pro && !m_policy->firstFree))
        throw FileCollectionError(
            FileCollectionFailure::server(QLatin1StringView(FileCollectionCode::subscriptionRequired)));
    const QList<QUrl> staged = FileIntent::stage(urls);
    const FileCollectionOutbox box = outbox(owner);
    box.prepareDirectory();
    std::vector<CollectedFile> files;
    try {
        for (const QUrl &url : staged) {
            const FileCandidate candidate = m_policy->candidate(url.toLocalFile());
            box.copy(candidate.bytes, candidate.file);
            files.push_back(candidate.file);
        }
        box.makeDurable(files);
    } catch (...) {
        for (const CollectedFile &file : files) {
            try {
                box.removeBytes(file);
            } catch (const std::exception &) {
                // The add failed already; a stray copy is cleared with the outbox.
            }
        }
        throw;
    }
    setBatch(FileCollectionBatch {owner, Text::newUuid(false), !m_policy->pro, m_policy->consentVersion,
                                  std::move(files), false});
    persist(owner);
}

QCoro::Task<> FileCollectionStore::sendSteps(QList<QUrl> urls, Run run)
{
    if (!m_batch)
        stage(urls, run.owner);
    // A held batch is resumed; new locations are ignored.
    else if (m_batch->owner != run.owner || m_batch->consentVersion != m_policy->consentVersion)
        throw FileCollectionError(FileCollectionFailure::changed());

    co_await m_delivery.deliver(run);
}

// ------------------------------------------------------------ poll, clear --

QCoro::Task<> FileCollectionStore::poll()
{
    if (isBusy() || !m_batch || !m_cloud || !m_cloud->session() || m_batch->owner != m_cloud->session()->user.id)
        co_return;
    const Run current = run(m_gate->begin(), m_batch->owner);
    bool failed = false;
    try {
        for (qsizetype index = 0; current.isCurrent() && index < qsizetype(m_batch->files.size()); ++index) {
            const CollectedFile file = m_batch->files[std::size_t(index)];
            if (file.isNeverPolled())
                continue;
            const CloudSession session = co_await sessionFor(current);
            const FileProgress progress = co_await m_api.status(file.id, session);
            current.check();
            apply(progress, index, current.owner);
        }
    } catch (const std::exception &) {
        failed = true;
    }
    if (failed && current.isCurrent())
        setFailure(QStringLiteral("cloud_unavailable"));
    current.ticket.end();
}

void FileCollectionStore::startPolling(QString locale, std::chrono::nanoseconds interval)
{
    if (m_polling)
        return;
    m_polling.emplace();
    spawn(pollSteps(std::move(locale), interval, m_polling->get_token()));
}

void FileCollectionStore::stopPolling()
{
    if (!m_polling)
        return;
    m_polling->request_stop();
    m_polling.reset();
}

QCoro::Task<> FileCollectionStore::pollSteps(QString locale, std::chrono::nanoseconds interval, std::stop_token stop)
{
    const QPointer guard(this);
    co_await load(std::move(locale));
    while (guard && m_cloud && !stop.stop_requested()) {
        try {
            co_await m_cloud->clock()->sleep(interval, stop);
        } catch (const std::exception &) {
            co_return; // a cancelled sleep ends the polling
        }
        if (!guard || stop.stop_requested())
            co_return;
        co_await poll();
    }
}

void FileCollectionStore::clear()
{
    if (isBusy() || !m_cloud || !m_cloud->session())
        return;
    const QString user = m_cloud->session()->user.id;
    const bool ownBatch = m_batch && m_batch->owner == user;
    if (!ownBatch && !(m_recordUnreadable && !m_batch))
        return;
    try {
        outbox(user).clear();
    } catch (const std::exception &) {
        setFailure(QStringLiteral("local_cleanup_failed"));
        return;
    }
    setBatch(std::nullopt);
    setRecordUnreadable(false);
    setFailure(std::nullopt);
    resetChecks();
}

} // namespace vorno
