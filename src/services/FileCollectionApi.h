#pragma once

#include "core/CloudSession.h"
#include "core/CollectedFile.h"
#include "core/FileCollectionPolicy.h"

#include <QPointer>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <vector>

namespace vorno {

class NativeFileClient;

// The service's file collection calls, typed: every answer is checked here and
// comes back as a record, or the call throws CloudError(invalid).
class FileCollectionApi
{
public:
    struct PreflightSlot
    {
        QString uploadId; // a UUID
        QString objectPath;
        bool uploaded = false; // the service has the bytes already
    };

    // One page of a free collection's registration.
    struct Registration
    {
        QString batchId;
        QString owner;
        QString consentVersion;
        std::vector<CollectedFile> files; // the page
        qsizetype offset = 0;
        qsizetype total = 0;
        QString key; // registrationKey() of the whole batch
    };

    struct RegisteredPage
    {
        std::vector<QString> objectPaths; // one per file of the page, in order
        bool sealed = false;              // the service holds the whole batch
    };

    explicit FileCollectionApi(NativeFileClient *client);

    [[nodiscard]] bool isAvailable() const;
    [[nodiscard]] QUrl origin() const;

    // The same for the same files in the same order, so a retried page is
    // recognised as the registration it continues.
    [[nodiscard]] static QString registrationKey(const std::vector<CollectedFile> &files);

    [[nodiscard]] QCoro::Task<FileCollectionPolicy> policy(QString locale, CloudSession session);
    [[nodiscard]] QCoro::Task<PreflightSlot> preflight(QString batchId, CollectedFile file, QString consentVersion,
                                                       CloudSession session);
    // The proof that the preflight upload `uploadId` is complete.
    [[nodiscard]] QCoro::Task<QString> preflightProof(QString uploadId, CloudSession session);
    [[nodiscard]] QCoro::Task<RegisteredPage> registerPage(Registration page, CloudSession session);
    // Registers a paid import of `file`; its object path.
    [[nodiscard]] QCoro::Task<QString> registerImport(CollectedFile file, QString consentVersion, CloudSession session);
    [[nodiscard]] QCoro::Task<FileProgress> status(QString sourceId, CloudSession session);
    // Throws FileCollectionError "upload_not_complete" while the bytes are missing.
    [[nodiscard]] QCoro::Task<> complete(QString sourceId, CloudSession session);
    [[nodiscard]] QCoro::Task<FileProgress> process(QString sourceId, CloudSession session);

private:
    // Throws CloudError(unavailable) once the client is gone.
    [[nodiscard]] NativeFileClient &client() const;

    QPointer<NativeFileClient> m_client;
};

} // namespace vorno
