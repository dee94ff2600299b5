#include "stores/FileDelivery.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "services/FileCollectionOutbox.h"
#include "services/NativeFileClient.h"
#include "stores/FileCollectionRun.h"
#include "stores/FileCollectionStore.h"

namespace vorno {

namespace {

[[noreturn]] void notOwner()
{
    throw CloudError(CloudFailure::authentication);
}

[[noreturn]] void invalidAnswer()
{
    throw CloudError(CloudFailure::invalid);
}

} // namespace

void FileCollectionRun::check() const
{
    if (!isCurrent())
        notOwner();
}

QCoro::Task<> FileDelivery::deliver(FileCollectionRun run)
{
    if (m_store.m_batch->free && !m_store.m_batch->registered) {
        co_await preflight(run);
        run.check();
        co_await registerFree(run);
    }
    for (qsizetype index = 0; run.isCurrent() && m_store.m_batch && index < qsizetype(m_store.m_batch->files.size());
         ++index) {
        if (m_store.m_batch->files[std::size_t(index)].isFinished())
            continue;
        co_await collect(index, run);
    }
    run.check();
}

QCoro::Task<> FileDelivery::preflight(FileCollectionRun run)
{
    for (qsizetype index = 0; index < qsizetype(m_store.m_batch->files.size()); ++index) {
        const CollectedFile file = m_store.m_batch->files[std::size_t(index)];
        if (file.preflight)
            continue;
        CloudSession session = co_await m_store.sessionFor(run);
        const FileCollectionApi::PreflightSlot slot
            = co_await m_store.m_api.preflight(m_store.m_batch->id, file, m_store.m_batch->consentVersion, session);
        run.check();
        m_store.updateFile(run.owner, index, [&](CollectedFile &changed) { changed.uploadId = slot.uploadId; });
        if (!slot.uploaded) {
            co_await upload(index, NativeFileClient::freeBucket, slot.objectPath, run);
            run.check();
        }
        session = co_await m_store.sessionFor(run);
        const QString proof = co_await m_store.m_api.preflightProof(slot.uploadId, session);
        run.check();
        m_store.updateFile(run.owner, index, [&](CollectedFile &changed) { changed.preflight = proof; });
    }
}

QCoro::Task<> FileDelivery::registerFree(FileCollectionRun run)
{
    const qsizetype total = qsizetype(m_store.m_batch->files.size());
    if (total == 0) {
        m_store.updateBatch(run.owner, [](FileCollectionBatch &batch) { batch.registered = true; });
        co_return;
    }
    const QString key = FileCollectionApi::registrationKey(m_store.m_batch->files);
    for (const FileCollectionBatch::Page span : FileCollectionBatch::registrationPages(total)) {
        const auto first = m_store.m_batch->files.begin() + span.offset;
        FileCollectionApi::Registration page {m_store.m_batch->id,
                                              run.owner,
                                              m_store.m_batch->consentVersion,
                                              {first, first + span.size},
                                              span.offset,
                                              total,
                                              key};
        const CloudSession session = co_await m_store.sessionFor(run);
        const FileCollectionApi::RegisteredPage registered
            = co_await m_store.m_api.registerPage(std::move(page), session);
        run.check();
        const bool last = span.offset + span.size == total;
        if (last && !registered.sealed)
            invalidAnswer();
        m_store.updateBatch(run.owner, [&](FileCollectionBatch &batch) {
            for (qsizetype j = 0; j < span.size; ++j)
                batch.files[std::size_t(span.offset + j)].objectPath = registered.objectPaths[std::size_t(j)];
            batch.registered = last;
        });
    }
}

QCoro::Task<> FileDelivery::collect(qsizetype index, FileCollectionRun run)
{
    CollectedFile file = m_store.m_batch->files[std::size_t(index)];
    if (!file.objectPath) {
        const CloudSession session = co_await m_store.sessionFor(run);
        const QString objectPath
            = co_await m_store.m_api.registerImport(file, m_store.m_batch->consentVersion, session);
        run.check();
        m_store.updateFile(run.owner, index, [&](CollectedFile &changed) { changed.objectPath = objectPath; });
        file.objectPath = objectPath;
    }

    CloudSession session = co_await m_store.sessionFor(run);
    const FileProgress status = co_await m_store.m_api.status(file.id, session);
    run.check();
    if (status.status && fileStatus(*status.status) == FileStatus::pendingUpload) {
        bool notComplete = false;
        try {
            session = co_await m_store.sessionFor(run);
            co_await m_store.m_api.complete(file.id, session);
            run.check();
        } catch (const FileCollectionError &error) {
            if (error.failure()
                != FileCollectionFailure::server(QLatin1StringView(FileCollectionCode::uploadNotComplete)))
                throw;
            notComplete = true;
        }
        if (notComplete) {
            co_await upload(index, NativeFileClient::paidBucket, *file.objectPath, run);
            session = co_await m_store.sessionFor(run);
            co_await m_store.m_api.complete(file.id, session);
            run.check();
        }
    }

    session = co_await m_store.sessionFor(run);
    const FileProgress processing = co_await m_store.m_api.process(file.id, session);
    run.check();
    m_store.apply(processing, index, run.owner);
}

QCoro::Task<> FileDelivery::upload(qsizetype index, QString bucket, QString path, FileCollectionRun run)
{
    const CollectedFile file = m_store.m_batch->files[std::size_t(index)];
    const QByteArray bytes = m_store.outbox(run.owner).bytes(file);
    m_store.setTransferring(file.id);
    m_store.setBytesSent(0);
    const QPointer guard(&m_store);
    std::exception_ptr failure;
    try {
        const CloudSession session = co_await m_store.sessionFor(run);
        if (!m_store.m_client)
            notOwner();
        // Named first: g++ 12 destroys a lambda converted to std::function
        // inside a co_await expression twice.
        const NativeFileClient::Checkpoint checkpoint = [this, run, index](const QUrl &address) {
            run.check();
            m_store.updateFile(run.owner, index, [&](CollectedFile &changed) { changed.tus = address; });
        };
        const NativeFileClient::Progress progress = [guard](qint64 sent) {
            if (guard)
                guard->setBytesSent(sent);
        };
        const NativeFileClient::StillOwner stillOwner = [run] { return run.isCurrent(); };
        co_await m_store.m_client->upload(bytes, std::move(bucket), std::move(path), file.contentType, file.tus,
                                          session, checkpoint, progress, stillOwner);
        run.check();
        // A finished upload is never resumed: a later upload of this file (to
        // another bucket or path) must start a new one.
        m_store.updateFile(run.owner, index, [](CollectedFile &changed) { changed.tus.reset(); });
    } catch (...) {
        failure = std::current_exception();
    }
    if (guard) {
        m_store.setTransferring(std::nullopt);
        m_store.setBytesSent(0);
    }
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace vorno
