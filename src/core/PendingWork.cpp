#include "core/PendingWork.h"

#include "core/CloudError.h"
#include "core/JsonCoding.h"
#include "core/Text.h"

namespace vorno {

PendingWork PendingWork::make(QString ownerId, QString text, const QDateTime &now, const QTimeZone &zone)
{
    if (Text::isBlank(text) || text.size() > maximumLength || !Text::isWellFormed(text))
        throw CloudError(CloudFailure::invalid);
    // QDate::toString with a format uses the C locale's Gregorian calendar and
    // zero-padded digits, which is exactly "yyyy-MM-dd".
    const QString day = now.toTimeZone(zone).date().toString(QStringLiteral("yyyy-MM-dd"));
    return {
        .id = Text::newUuid(true),
        .ownerId = std::move(ownerId),
        .text = std::move(text),
        .occurredOn = day,
    };
}

QByteArray PendingWork::body() const
{
    json::Writer json;
    json.set("id", id);
    json.set("ownerId", ownerId);
    json.set("text", text);
    json.set("category", QStringLiteral("note"));
    json.set("occurredOn", occurredOn);
    json.setNull("projectSlug");
    return json.bytes();
}

PendingWork json::Coding<PendingWork>::read(const Reader &json)
{
    return {
        .id = json.string("id"),
        .ownerId = json.string("ownerId"),
        .text = json.string("text"),
        .occurredOn = json.string("occurredOn"),
    };
}

void json::Coding<PendingWork>::write(Writer &json, const PendingWork &pending)
{
    json.set("id", pending.id);
    json.set("ownerId", pending.ownerId);
    json.set("text", pending.text);
    json.set("occurredOn", pending.occurredOn);
}

PendingWork PendingWork::fromJson(const QByteArray &json)
{
    return json::decode<PendingWork>(json);
}

QByteArray PendingWork::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
