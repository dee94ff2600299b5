#include "core/CollectedFile.h"

#include "core/JsonCoding.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>

namespace vorno {

namespace {

std::optional<QString> stringIn(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<qint64> integerIn(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    constexpr double limit = 9007199254740992.0; // 2^53: beyond it a double is no longer an exact integer
    if (std::floor(number) != number || std::fabs(number) > limit)
        return std::nullopt;
    return qint64(number);
}

bool hasSkippedFiles(const QJsonObject &object)
{
    return !object.value(QStringLiteral("skippedFiles")).toArray().isEmpty();
}

bool isOneOf(const QString &status, std::initializer_list<QStringView> statuses)
{
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

} // namespace

bool CollectedFile::isFinished() const
{
    return isOneOf(status, {u"ready_for_review", u"failed", u"deleted"});
}

bool CollectedFile::isNeverPolled() const
{
    return status == local || isFinished();
}

bool CollectedFile::isFinishedWithWork() const
{
    return status == u"ready_for_review" && !partial && (!candidateCount || *candidateCount != 0);
}

void CollectedFile::applyProcessing(const QJsonObject &answer)
{
    if (const std::optional<QString> given = stringIn(answer, QStringLiteral("status")))
        status = *given;
    failure = stringIn(answer, QStringLiteral("error"));
    candidateCount = integerIn(answer, QStringLiteral("candidateCount"));
    // The service reports skipped files at the top level or inside the free result.
    const QJsonObject result = answer.value(QStringLiteral("firstFreeResult")).toObject();
    partial = result.value(QStringLiteral("outcome")).toString() == u"partial" || hasSkippedFiles(result)
        || hasSkippedFiles(answer);
    const QJsonObject progress = answer.value(QStringLiteral("progress")).toObject();
    completed = integerIn(progress, QStringLiteral("completed"));
    total = integerIn(progress, QStringLiteral("total"));
}

bool CollectedFile::mayDropLocalCopy() const
{
    return isOneOf(status, {u"uploaded", u"queued", u"parsing", u"extracting", u"ready_for_review", u"failed"});
}

CollectedFile json::Coding<CollectedFile>::read(const Reader &json)
{
    return {
        .id = json.string("id"),
        .name = json.string("name"),
        .size = json.integer("size"),
        .sha256 = json.string("sha256"),
        .contentType = json.string("contentType"),
        .objectPath = json.optionalString("objectPath"),
        .preflight = json.optionalString("preflight"),
        .uploadId = json.optionalString("uploadId"),
        .tus = json.optionalUrl("tus"),
        .status = json.string("status"),
        .failure = json.optionalString("failure"),
        .completed = json.optionalInteger("completed"),
        .total = json.optionalInteger("total"),
        .candidateCount = json.optionalInteger("candidateCount"),
        .partial = json.boolean("partial"),
    };
}

void json::Coding<CollectedFile>::write(Writer &json, const CollectedFile &file)
{
    json.set("id", file.id);
    json.set("name", file.name);
    json.set("size", file.size);
    json.set("sha256", file.sha256);
    json.set("contentType", file.contentType);
    json.set("objectPath", file.objectPath);
    json.set("preflight", file.preflight);
    json.set("uploadId", file.uploadId);
    json.set("tus", file.tus);
    json.set("status", file.status);
    json.set("failure", file.failure);
    json.set("completed", file.completed);
    json.set("total", file.total);
    json.set("candidateCount", file.candidateCount);
    json.set("partial", file.partial);
}

CollectedFile CollectedFile::fromJson(const QByteArray &json)
{
    return json::decode<CollectedFile>(json);
}

QByteArray CollectedFile::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
