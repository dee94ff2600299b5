#include "services/FileCollectionApi.h"

#include "core/CloudError.h"
#include "core/Text.h"
#include "services/CloudClient.h"
#include "services/FileCollectionOutbox.h"
#include "services/NativeFileClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

QString languageFor(const QString &locale)
{
    static const QStringList supported {QStringLiteral("en"), QStringLiteral("ko"), QStringLiteral("ja")};
    return supported.contains(locale) ? locale : QStringLiteral("en");
}

[[noreturn]] void invalidAnswer()
{
    throw CloudError(CloudFailure::invalid);
}

QString stringIn(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        invalidAnswer();
    return value.toString();
}

QJsonObject consent(const QString &version)
{
    return {
        {QStringLiteral("version"), version},
        {QStringLiteral("authorized"), true},
        {QStringLiteral("redacted"), true},
        {QStringLiteral("responsibilityAccepted"), true},
        {QStringLiteral("aiProcessingAccepted"), true},
    };
}

QJsonObject sourceBody(const QString &sourceId)
{
    return {{QStringLiteral("sourceId"), sourceId}};
}

QJsonArray entries(const std::vector<CollectedFile> &files)
{
    QJsonArray listed;
    for (const CollectedFile &file : files) {
        listed.append(QJsonObject {
            {QStringLiteral("id"), file.id},
            {QStringLiteral("name"), file.name},
            {QStringLiteral("size"), double(file.size)},
            {QStringLiteral("preflight"), file.preflight.value_or(QString())},
        });
    }
    return listed;
}

} // namespace

FileCollectionApi::FileCollectionApi(NativeFileClient *client) : m_client(client)
{
}

NativeFileClient &FileCollectionApi::client() const
{
    if (!m_client)
        throw CloudError(CloudFailure::unavailable);
    return *m_client;
}

bool FileCollectionApi::isAvailable() const
{
    return m_client && m_client->api();
}

QUrl FileCollectionApi::origin() const
{
    if (!isAvailable())
        throw CloudError(CloudFailure::unavailable);
    return m_client->api()->origin();
}

QString FileCollectionApi::registrationKey(const std::vector<CollectedFile> &files)
{
    // QJsonObject keeps its keys sorted, so this is the sorted-key form.
    return FileCollectionOutbox::hash(QJsonDocument(entries(files)).toJson(QJsonDocument::Compact));
}

QCoro::Task<FileCollectionPolicy> FileCollectionApi::policy(QString locale, CloudSession session)
{
    if (!isAvailable())
        throw CloudError(CloudFailure::unavailable);
    const QByteArray body
        = co_await m_client->api()->fileRequest(policyPath + languageFor(locale), getMethod, std::nullopt, session);
    co_return FileCollectionPolicy::fromJson(body);
}

QCoro::Task<FileCollectionApi::PreflightSlot> FileCollectionApi::preflight(QString batchId, CollectedFile file,
                                                                           QString consentVersion, CloudSession session)
{
    const QJsonObject registration {
        {QStringLiteral("batchId"), batchId},
        {QStringLiteral("fileId"), file.id},
        {QStringLiteral("name"), file.name},
        {QStringLiteral("size"), double(file.size)},
        {QStringLiteral("consent"), consent(consentVersion)},
    };
    const QJsonObject answer = co_await client().json(preflightPath, postMethod, registration, session);
    PreflightSlot slot {stringIn(answer, QStringLiteral("uploadId")), stringIn(answer, QStringLiteral("objectPath")),
                        answer.value(QStringLiteral("uploaded")) == QJsonValue(true)};
    if (!Text::isUuid(slot.uploadId))
        invalidAnswer();
    co_return slot;
}

QCoro::Task<QString> FileCollectionApi::preflightProof(QString uploadId, CloudSession session)
{
    const QJsonObject done
        = co_await client().json(preflightPath + u'/' + uploadId, postMethod, QJsonObject(), session);
    co_return stringIn(done, QStringLiteral("proof"));
}

QCoro::Task<FileCollectionApi::RegisteredPage> FileCollectionApi::registerPage(Registration page, CloudSession session)
{
    const QJsonObject body {
        {QStringLiteral("id"), page.batchId},
        {QStringLiteral("files"), entries(page.files)},
        {QStringLiteral("offset"), double(page.offset)},
        {QStringLiteral("total"), double(page.total)},
        {QStringLiteral("key"), page.key},
        {QStringLiteral("ownerId"), page.owner},
        {QStringLiteral("consent"), consent(page.consentVersion)},
    };
    const QJsonObject answer = co_await client().json(firstDropPath, postMethod, body, session);
    const QJsonValue sources = answer.value(QStringLiteral("sources"));
    if (!sources.isArray() || sources.toArray().size() != qsizetype(page.files.size()))
        invalidAnswer();
    RegisteredPage registered;
    const QJsonArray listed = sources.toArray();
    for (qsizetype j = 0; j < listed.size(); ++j) {
        const QJsonObject source = listed.at(j).toObject();
        if (stringIn(source, QStringLiteral("sourceId")) != page.files[std::size_t(j)].id)
            invalidAnswer();
        registered.objectPaths.push_back(stringIn(source, QStringLiteral("objectPath")));
    }
    registered.sealed = answer.value(QStringLiteral("sealed")) == QJsonValue(true);
    co_return registered;
}

QCoro::Task<QString> FileCollectionApi::registerImport(CollectedFile file, QString consentVersion, CloudSession session)
{
    const QJsonObject registration {
        {QStringLiteral("sourceId"), file.id},
        {QStringLiteral("name"), file.name},
        {QStringLiteral("size"), double(file.size)},
        {QStringLiteral("consent"), consent(consentVersion)},
    };
    const QJsonObject answer = co_await client().json(importsPath, postMethod, registration, session);
    if (stringIn(answer, QStringLiteral("sourceId")) != file.id)
        invalidAnswer();
    co_return stringIn(answer, QStringLiteral("objectPath"));
}

QCoro::Task<FileProgress> FileCollectionApi::status(QString sourceId, CloudSession session)
{
    const QJsonObject answer = co_await client().json(processPath + QStringLiteral("?sourceId=") + sourceId, getMethod,
                                                      std::nullopt, session);
    co_return FileProgress::fromAnswer(answer);
}

QCoro::Task<> FileCollectionApi::complete(QString sourceId, CloudSession session)
{
    co_await client().json(completePath, postMethod, sourceBody(sourceId), session);
}

QCoro::Task<FileProgress> FileCollectionApi::process(QString sourceId, CloudSession session)
{
    const QJsonObject answer = co_await client().json(processPath, postMethod, sourceBody(sourceId), session);
    co_return FileProgress::fromAnswer(answer);
}

} // namespace vorno
