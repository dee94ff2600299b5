#include "stores/FileCollectionStore.h"

#include "support/ChangeSignal.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "core/FileIntent.h"
#include "core/Text.h"
#include "services/CloudClient.h"
#include "services/FileCollectionOutbox.h"
#include "services/NativeFileClient.h"
#include "stores/CloudStore.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vorno {

namespace {

const QString policyPath = QStringLiteral("/api/native/files?locale=");
const QString preflightPath = QStringLiteral("/api/first-drop/preflight/uploads");
const QString firstDropPath = QStringLiteral("/api/first-drop");
const QString importsPath = QStringLiteral("/api/imports");
const QString completePath = QStringLiteral("/api/imports/complete");
const QString processPath = QStringLiteral("/api/imports/process");
const QString getMethod = QStringLiteral("GET");
const QString postMethod = QStringLiteral("POST");
const QString pendingUpload = QStringLiteral("pending_upload");

QString languageFor(const QString &locale)
{
    static const QStringList supported {QStringLiteral("en"), QStringLiteral("ko"), QStringLiteral("ja")};
    return supported.contains(locale) ? locale : QStringLiteral("en");
}

std::optional<QString> stringIn(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

QString statusQuery(const CollectedFile &file)
{
    return processPath + QStringLiteral("?sourceId=") + file.id;
}

QJsonObject sourceBody(const CollectedFile &file)
{
    return {{QStringLiteral("sourceId"), file.id}};
}

[[noreturn]] void notOwner()
{
    throw CloudError(CloudFailure::authentication);
}

[[noreturn]] void invalidAnswer()
{
    throw CloudError(CloudFailure::invalid);
}

} // namespace

FileCollectionStore::FileCollectionStore(CloudStore *cloud, NativeFileClient *client, std::optional<QString> outboxRoot,
                                         QObject *parent)
    : QObject(parent), m_cloud(cloud), m_client(client), m_outboxRoot(std::move(outboxRoot))
{
}

FileCollectionStore::~FileCollectionStore() = default;

// ----------------------------------------------------------------- state --

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
    return !m_busy && m_batch && !m_batch->files.empty() && files().empty();
}

bool FileCollectionStore::isReady() const
{
    return !m_busy && m_policy && m_checks.size() == m_policy->copy.checks.size() && !m_checks.isEmpty()
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

void FileCollectionStore::setBusy(bool busy)
{
    if (assignAndNotify(this, m_busy, busy, &FileCollectionStore::busyChanged))
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

bool FileCollectionStore::sameOwner(const QString &owner, const QUuid &ticket) const
{
    return m_generation == ticket && m_cloud && m_cloud->session() && m_cloud->session()->user.id == owner;
}

FileCollectionOutbox FileCollectionStore::outbox(const QString &owner) const
{
    if (!m_client || !m_client->api())
        throw CloudError(CloudFailure::unavailable);
    return FileCollectionOutbox(owner, m_client->api()->origin(), m_outboxRoot);
}

void FileCollectionStore::persist(const QString &owner)
{
    if (!m_batch || m_batch->owner != owner)
        notOwner();
    outbox(owner).write(*m_batch);
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
    m_generation = QUuid::createUuid();
    setRecordUnreadable(false);
    setPolicy(std::nullopt);
    setBatch(std::nullopt);
    setChecks({});
    setBusy(false);
    setFailure(std::nullopt);
    m_loadedLocale.reset();
}

QJsonObject FileCollectionStore::consent() const
{
    return {
        {QStringLiteral("version"), m_batch ? m_batch->consentVersion : QString()},
        {QStringLiteral("authorized"), true},
        {QStringLiteral("redacted"), true},
        {QStringLiteral("responsibilityAccepted"), true},
        {QStringLiteral("aiProcessingAccepted"), true},
    };
}

void FileCollectionStore::apply(const QJsonObject &answer, qsizetype index)
{
    FileCollectionBatch batch = *m_batch;
    batch.files[std::size_t(index)].applyProcessing(answer);
    setBatch(std::move(batch));
}

void FileCollectionStore::dropCopyIfDelivered(const QString &owner, qsizetype index)
{
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
    if (m_busy || !user || m_batch)
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
    if (policyForOwner && (m_loadedLocale == locale || m_busy))
        co_return;

    m_generation = QUuid::createUuid();
    const QUuid ticket = m_generation;
    setPolicy(std::nullopt);
    setChecks({});
    setFailure(std::nullopt);
    setBusy(false);
    const QPointer guard(this);
    try {
        co_await loadSteps(std::move(locale), owner, ticket);
    } catch (const std::exception &) {
        if (guard && sameOwner(owner, ticket))
            setFailure(QStringLiteral("cloud_unavailable"));
    }
}

QCoro::Task<> FileCollectionStore::loadSteps(QString locale, QString owner, QUuid ticket)
{
    const QPointer guard(this);
    const CloudSession session = co_await m_cloud->fileSession(owner);
    if (!guard || !sameOwner(owner, ticket) || !m_client || !m_client->api())
        co_return;
    const QByteArray body
        = co_await m_client->api()->fileRequest(policyPath + languageFor(locale), getMethod, std::nullopt, session);
    FileCollectionPolicy policy = FileCollectionPolicy::fromJson(body);
    if (!guard || !sameOwner(owner, ticket) || policy.ownerId != owner)
        co_return;
    const qsizetype statements = policy.copy.checks.size();
    setPolicy(std::move(policy));
    setChecks(QList<bool>(statements, false));
    m_loadedLocale = locale;
    if (!m_batch)
        pickUpStored(owner);
}

// ------------------------------------------------------------------ send --

QCoro::Task<QJsonObject> FileCollectionStore::json(QString path, QString owner, QUuid ticket, QString method,
                                                   std::optional<QJsonObject> value)
{
    if (!sameOwner(owner, ticket) || !m_client)
        notOwner();
    const QPointer guard(this);
    const CloudSession session = co_await m_cloud->fileSession(owner);
    if (!guard || !sameOwner(owner, ticket) || !m_client)
        notOwner();
    QJsonObject answer = co_await m_client->json(std::move(path), std::move(method), std::move(value), session);
    if (!guard || !sameOwner(owner, ticket))
        notOwner();
    co_return answer;
}

QCoro::Task<> FileCollectionStore::send(QList<QUrl> urls)
{
    if (!isReady() || !m_cloud || !m_cloud->session() || m_policy->ownerId != m_cloud->session()->user.id)
        co_return;
    if (m_recordUnreadable && !m_batch) {
        setFailure(QStringLiteral("local_cleanup_failed"));
        co_return;
    }
    setBusy(true);
    setFailure(std::nullopt);
    const QString owner = m_cloud->session()->user.id;
    const QUuid ticket = m_generation;
    const QPointer guard(this);
    std::optional<QString> failure;
    try {
        co_await sendSteps(std::move(urls), owner, ticket);
    } catch (const FileCollectionError &error) {
        failure = error.failure().kind == FileCollectionFailure::Kind::server ? error.failure().code
                                                                              : QStringLiteral("transfer_interrupted");
    } catch (const std::exception &) {
        failure = QStringLiteral("transfer_interrupted");
    }
    if (!guard)
        co_return;
    // Nothing is shown for a run that a sign-out, another user or a newer
    // load has overtaken.
    if (failure && sameOwner(owner, ticket))
        setFailure(failure);
    // A newer run owns busy now; only the current run may clear it.
    if (m_generation == ticket)
        setBusy(false);
}

QCoro::Task<> FileCollectionStore::sendSteps(QList<QUrl> urls, QString owner, QUuid ticket)
{
    const FileCollectionOutbox box = outbox(owner);
    if (m_batch) {
        // A held batch is resumed; new locations are ignored.
        if (m_batch->owner != owner || m_batch->consentVersion != m_policy->consentVersion)
            throw FileCollectionError(FileCollectionFailure::changed());
    } else {
        if (urls.isEmpty() || (!m_policy->pro && !m_policy->firstFree))
            throw FileCollectionError(
                FileCollectionFailure::server(QLatin1StringView(FileCollectionCode::subscriptionRequired)));
        const QList<QUrl> staged = FileIntent::stage(urls);
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

    const QPointer guard(this);
    if (m_batch->free && !m_batch->registered) {
        co_await preflight(owner, ticket);
        if (!guard || !sameOwner(owner, ticket))
            notOwner();
        co_await registerFree(owner, ticket);
    }
    for (qsizetype index = 0; guard && m_batch && index < qsizetype(m_batch->files.size()); ++index) {
        if (!sameOwner(owner, ticket))
            notOwner();
        if (m_batch->files[std::size_t(index)].isFinished())
            continue;
        co_await collect(index, owner, ticket);
    }
    if (!guard || !sameOwner(owner, ticket))
        notOwner();
}

QCoro::Task<> FileCollectionStore::preflight(QString owner, QUuid ticket)
{
    const QPointer guard(this);
    for (qsizetype index = 0; index < qsizetype(m_batch->files.size()); ++index) {
        const CollectedFile file = m_batch->files[std::size_t(index)];
        if (file.preflight)
            continue;
        const QJsonObject registration {
            {QStringLiteral("batchId"), m_batch->id}, {QStringLiteral("fileId"), file.id},
            {QStringLiteral("name"), file.name},      {QStringLiteral("size"), double(file.size)},
            {QStringLiteral("consent"), consent()},
        };
        const QJsonObject answer = co_await json(preflightPath, owner, ticket, postMethod, registration);
        const std::optional<QString> uploadId = stringIn(answer, QStringLiteral("uploadId"));
        const std::optional<QString> objectPath = stringIn(answer, QStringLiteral("objectPath"));
        if (!uploadId || !Text::isUuid(*uploadId) || !objectPath)
            invalidAnswer();
        FileCollectionBatch batch = *m_batch;
        batch.files[std::size_t(index)].uploadId = *uploadId;
        setBatch(std::move(batch));
        persist(owner);
        if (answer.value(QStringLiteral("uploaded")) != QJsonValue(true)) {
            co_await upload(index, NativeFileClient::freeBucket, *objectPath, owner, ticket);
            if (!guard || !sameOwner(owner, ticket))
                notOwner();
        }
        const QJsonObject done
            = co_await json(preflightPath + u'/' + *uploadId, owner, ticket, postMethod, QJsonObject());
        const std::optional<QString> proof = stringIn(done, QStringLiteral("proof"));
        if (!proof)
            invalidAnswer();
        FileCollectionBatch proven = *m_batch;
        proven.files[std::size_t(index)].preflight = *proof;
        setBatch(std::move(proven));
        persist(owner);
    }
}

QCoro::Task<> FileCollectionStore::registerFree(QString owner, QUuid ticket)
{
    QJsonArray entries;
    for (const CollectedFile &file : m_batch->files) {
        entries.append(QJsonObject {
            {QStringLiteral("id"), file.id},
            {QStringLiteral("name"), file.name},
            {QStringLiteral("size"), double(file.size)},
            {QStringLiteral("preflight"), file.preflight.value_or(QString())},
        });
    }
    const qsizetype total = entries.size();
    if (total == 0) {
        FileCollectionBatch batch = *m_batch;
        batch.registered = true;
        setBatch(std::move(batch));
        persist(owner);
        co_return;
    }
    // QJsonObject keeps its keys sorted, so this is the sorted-key form.
    const QString key = FileCollectionOutbox::hash(QJsonDocument(entries).toJson(QJsonDocument::Compact));

    for (qsizetype offset = 0; offset < total; offset += registrationPage) {
        QJsonArray page;
        for (qsizetype i = offset; i < std::min(offset + registrationPage, total); ++i)
            page.append(entries.at(i));
        const QJsonObject body {
            {QStringLiteral("id"), m_batch->id},
            {QStringLiteral("files"), page},
            {QStringLiteral("offset"), double(offset)},
            {QStringLiteral("total"), double(total)},
            {QStringLiteral("key"), key},
            {QStringLiteral("ownerId"), owner},
            {QStringLiteral("consent"), consent()},
        };
        const QJsonObject answer = co_await json(firstDropPath, owner, ticket, postMethod, body);
        const QJsonValue sources = answer.value(QStringLiteral("sources"));
        if (!sources.isArray() || sources.toArray().size() != page.size())
            invalidAnswer();
        FileCollectionBatch batch = *m_batch;
        const QJsonArray listed = sources.toArray();
        for (qsizetype j = 0; j < listed.size(); ++j) {
            CollectedFile &file = batch.files[std::size_t(offset + j)];
            const QJsonObject source = listed.at(j).toObject();
            const std::optional<QString> objectPath = stringIn(source, QStringLiteral("objectPath"));
            if (stringIn(source, QStringLiteral("sourceId")) != file.id || !objectPath)
                invalidAnswer();
            file.objectPath = *objectPath;
        }
        const bool last = offset + page.size() == total;
        if (last) {
            if (answer.value(QStringLiteral("sealed")) != QJsonValue(true))
                invalidAnswer();
            batch.registered = true;
        }
        setBatch(std::move(batch));
        persist(owner);
    }
}

QCoro::Task<> FileCollectionStore::collect(qsizetype index, QString owner, QUuid ticket)
{
    const QPointer guard(this);
    CollectedFile file = m_batch->files[std::size_t(index)];
    if (!file.objectPath) {
        const QJsonObject registration {
            {QStringLiteral("sourceId"), file.id},
            {QStringLiteral("name"), file.name},
            {QStringLiteral("size"), double(file.size)},
            {QStringLiteral("consent"), consent()},
        };
        const QJsonObject answer = co_await json(importsPath, owner, ticket, postMethod, registration);
        const std::optional<QString> objectPath = stringIn(answer, QStringLiteral("objectPath"));
        if (stringIn(answer, QStringLiteral("sourceId")) != file.id || !objectPath)
            invalidAnswer();
        FileCollectionBatch batch = *m_batch;
        batch.files[std::size_t(index)].objectPath = *objectPath;
        setBatch(std::move(batch));
        persist(owner);
        file.objectPath = objectPath;
    }

    const QJsonObject status = co_await json(statusQuery(file), owner, ticket, getMethod, std::nullopt);
    if (status.value(QStringLiteral("status")).toString() == pendingUpload) {
        bool notComplete = false;
        try {
            co_await json(completePath, owner, ticket, postMethod, sourceBody(file));
        } catch (const FileCollectionError &error) {
            if (error.failure()
                != FileCollectionFailure::server(QLatin1StringView(FileCollectionCode::uploadNotComplete)))
                throw;
            notComplete = true;
        }
        if (notComplete) {
            co_await upload(index, NativeFileClient::paidBucket, *file.objectPath, owner, ticket);
            co_await json(completePath, owner, ticket, postMethod, sourceBody(file));
        }
    }

    const QJsonObject processing = co_await json(processPath, owner, ticket, postMethod, sourceBody(file));
    apply(processing, index);
    persist(owner);
    dropCopyIfDelivered(owner, index);
}

QCoro::Task<> FileCollectionStore::upload(qsizetype index, QString bucket, QString path, QString owner, QUuid ticket)
{
    const CollectedFile file = m_batch->files[std::size_t(index)];
    const QByteArray bytes = outbox(owner).bytes(file);
    setTransferring(file.id);
    setBytesSent(0);
    const QPointer guard(this);
    std::exception_ptr failure;
    try {
        const CloudSession session = co_await m_cloud->fileSession(owner);
        if (!guard || !sameOwner(owner, ticket) || !m_client)
            notOwner();
        // Named first: g++ 12 destroys a lambda converted to std::function
        // inside a co_await expression twice.
        const NativeFileClient::Checkpoint checkpoint = [guard, owner, ticket, index](const QUrl &address) {
            if (!guard || !guard->sameOwner(owner, ticket))
                notOwner();
            FileCollectionBatch batch = *guard->m_batch;
            batch.files[std::size_t(index)].tus = address;
            guard->setBatch(std::move(batch));
            guard->persist(owner);
        };
        const NativeFileClient::Progress progress = [guard](qint64 sent) {
            if (guard)
                guard->setBytesSent(sent);
        };
        const NativeFileClient::StillOwner stillOwner
            = [guard, owner, ticket] { return guard && guard->sameOwner(owner, ticket); };
        co_await m_client->upload(bytes, std::move(bucket), std::move(path), file.contentType, file.tus, session,
                                  checkpoint, progress, stillOwner);
        if (!guard || !sameOwner(owner, ticket))
            notOwner();
        // A finished upload is never resumed: a later upload of this file (to
        // another bucket or path) must start a new one.
        FileCollectionBatch batch = *m_batch;
        batch.files[std::size_t(index)].tus.reset();
        setBatch(std::move(batch));
        persist(owner);
    } catch (...) {
        failure = std::current_exception();
    }
    if (guard) {
        setTransferring(std::nullopt);
        setBytesSent(0);
    }
    if (failure)
        std::rethrow_exception(failure);
}

// ------------------------------------------------------------ poll, clear --

QCoro::Task<> FileCollectionStore::poll()
{
    if (m_busy || !m_batch || !m_cloud || !m_cloud->session() || m_batch->owner != m_cloud->session()->user.id)
        co_return;
    setBusy(true);
    const QString owner = m_batch->owner;
    const QUuid ticket = m_generation;
    const QPointer guard(this);
    bool failed = false;
    try {
        for (qsizetype index = 0; guard && sameOwner(owner, ticket) && index < qsizetype(m_batch->files.size());
             ++index) {
            const CollectedFile file = m_batch->files[std::size_t(index)];
            if (file.isNeverPolled())
                continue;
            const QJsonObject answer = co_await json(statusQuery(file), owner, ticket, getMethod, std::nullopt);
            apply(answer, index);
            persist(owner);
            dropCopyIfDelivered(owner, index);
        }
    } catch (const std::exception &) {
        failed = true;
    }
    if (!guard)
        co_return;
    if (failed && sameOwner(owner, ticket))
        setFailure(QStringLiteral("cloud_unavailable"));
    if (m_generation == ticket)
        setBusy(false);
}

void FileCollectionStore::clear()
{
    if (m_busy || !m_cloud || !m_cloud->session())
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
