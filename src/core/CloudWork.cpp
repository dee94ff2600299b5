#include "core/CloudWork.h"

#include "core/JsonCoding.h"
#include "core/Text.h"
#include "core/WebUrl.h"

namespace vorno {

CloudWorkPeriod json::Coding<CloudWorkPeriod>::read(const Reader &json)
{
    return {.start = json.string("start"), .end = json.string("end")};
}

void json::Coding<CloudWorkPeriod>::write(Writer &json, const CloudWorkPeriod &period)
{
    json.set("start", period.start);
    json.set("end", period.end);
}

CloudWorkContext json::Coding<CloudWorkContext>::read(const Reader &json)
{
    return {.projectName = json.optionalString("projectName"),
            .period = json.optionalObject<CloudWorkPeriod>("period")};
}

void json::Coding<CloudWorkContext>::write(Writer &json, const CloudWorkContext &context)
{
    json.set("projectName", context.projectName);
    json.set("period", context.period);
}

CloudWork json::Coding<CloudWork>::read(const Reader &json)
{
    return {
        .id = json.string("id"),
        .text = json.string("text"),
        .occurredOn = json.string("occurredOn"),
        .origin = json.optionalString("origin"),
        .dateBasis = json.optionalString("dateBasis"),
        .createdAt = json.optionalString("createdAt"),
        .projectSlug = json.optionalString("projectSlug"),
        .sourceId = json.optionalString("sourceId"),
        .work = json.optionalObject<CloudWorkContext>("work"),
    };
}

void json::Coding<CloudWork>::write(Writer &json, const CloudWork &work)
{
    json.set("id", work.id);
    json.set("text", work.text);
    json.set("occurredOn", work.occurredOn);
    json.set("origin", work.origin);
    json.set("dateBasis", work.dateBasis);
    json.set("createdAt", work.createdAt);
    json.set("projectSlug", work.projectSlug);
    json.set("sourceId", work.sourceId);
    json.set("work", work.work);
}

CloudWork CloudWork::fromJson(const QByteArray &json)
{
    return json::decode<CloudWork>(json);
}

QByteArray CloudWork::toJson() const
{
    return json::encode(*this);
}

std::optional<QUrl> CloudWork::recordURL(const QUrl &webOrigin) const
{
    QUrl url = webOrigin;
    url.setPath(QStringLiteral("/worklog"));
    url = WebUrl::withQuery(url, {{QStringLiteral("record"), id}});
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    return url;
}

namespace {

bool isCurrent(const CloudWork &work, const QSet<QString> &currentSources)
{
    return work.sourceId && currentSources.contains(*work.sourceId);
}

// Whether `a` goes before `b`. The order is not a strict weak ordering (an absent
// and an empty `createdAt` tie with each other but not with everything the other
// ties with), so it is only ever used by the merge below, which is stable and
// safe for any predicate.
bool before(const CloudWork &a, const CloudWork &b, const QSet<QString> &currentSources)
{
    const bool aCurrent = isCurrent(a, currentSources);
    const bool bCurrent = isCurrent(b, currentSources);
    if (aCurrent != bCurrent)
        return aCurrent;
    const bool sameCreation = a.createdAt.has_value() == b.createdAt.has_value()
        && (!a.createdAt || Text::compareScalars(*a.createdAt, *b.createdAt) == 0);
    if (sameCreation)
        return Text::compareScalars(a.id, b.id) < 0;
    return Text::compareScalars(b.createdAt.value_or(QString()), a.createdAt.value_or(QString())) < 0;
}

} // namespace

QList<CloudWork> recentCloudWork(const QList<CloudWork> &work, const QSet<QString> &currentSources, qsizetype limit)
{
    if (limit <= 0)
        return {};

    // Bottom-up merge sort: an element of the right run moves ahead only when it
    // strictly goes before, so equal elements keep their input order.
    QList<CloudWork> sorted = work;
    QList<CloudWork> buffer;
    buffer.resize(sorted.size());
    for (qsizetype width = 1; width < sorted.size(); width *= 2) {
        for (qsizetype low = 0; low < sorted.size(); low += 2 * width) {
            const qsizetype middle = std::min(low + width, sorted.size());
            const qsizetype high = std::min(low + 2 * width, sorted.size());
            qsizetype left = low;
            qsizetype right = middle;
            qsizetype out = low;
            while (left < middle && right < high) {
                if (before(sorted[right], sorted[left], currentSources))
                    buffer[out++] = sorted[right++];
                else
                    buffer[out++] = sorted[left++];
            }
            while (left < middle)
                buffer[out++] = sorted[left++];
            while (right < high)
                buffer[out++] = sorted[right++];
        }
        std::swap(sorted, buffer);
    }
    if (sorted.size() > limit)
        sorted.resize(limit);
    return sorted;
}

} // namespace vorno
