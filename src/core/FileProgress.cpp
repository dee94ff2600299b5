#include "core/FileProgress.h"

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

} // namespace

FileProgress FileProgress::fromAnswer(const QJsonObject &answer)
{
    // The service reports skipped files at the top level or inside the free result.
    const QJsonObject result = answer.value(QStringLiteral("firstFreeResult")).toObject();
    const QJsonObject progress = answer.value(QStringLiteral("progress")).toObject();
    return {
        .status = stringIn(answer, QStringLiteral("status")),
        .failure = stringIn(answer, QStringLiteral("error")),
        .candidateCount = integerIn(answer, QStringLiteral("candidateCount")),
        .partial = result.value(QStringLiteral("outcome")).toString() == u"partial" || hasSkippedFiles(result)
            || hasSkippedFiles(answer),
        .completed = integerIn(progress, QStringLiteral("completed")),
        .total = integerIn(progress, QStringLiteral("total")),
    };
}

} // namespace vorno
