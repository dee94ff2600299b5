#include "core/FileCollectionBatch.h"

#include "core/JsonCoding.h"
#include "core/Text.h"
#include "core/WebUrl.h"

#include <algorithm>

namespace vorno {

std::optional<QUrl> FileCollectionBatch::resultURL(const QString &currentOwner, const std::optional<QString> &sourceID,
                                                   const QUrl &webOrigin) const
{
    if (currentOwner != owner || !Text::isUuid(id))
        return std::nullopt;

    QUrl url = webOrigin;
    url.setPath(QStringLiteral("/journey"));
    if (free) {
        if (!registered)
            return std::nullopt;
        return WebUrl::withQuery(url, {{QStringLiteral("batch"), id}});
    }

    QStringList sources;
    for (const CollectedFile &file : files) {
        if (!file.objectPath || (sourceID && file.id != *sourceID))
            continue;
        if (!Text::isUuid(file.id))
            return std::nullopt;
        sources.append(file.id);
    }
    if (sources.isEmpty() || sources.size() > maximumResultSources)
        return std::nullopt;
    // The page splits the list on ",", which a query component may carry as it is.
    return WebUrl::withQuery(url, {{QStringLiteral("source"), sources.join(u',')}}, ",");
}

FileCollectionBatch json::Coding<FileCollectionBatch>::read(const Reader &json)
{
    return {
        .owner = json.string("owner"),
        .id = json.string("id"),
        .free = json.boolean("free"),
        .consentVersion = json.string("consentVersion"),
        .files = json.objects<CollectedFile>("files"),
        .registered = json.boolean("registered"),
    };
}

void json::Coding<FileCollectionBatch>::write(Writer &json, const FileCollectionBatch &batch)
{
    json.set("owner", batch.owner);
    json.set("id", batch.id);
    json.set("free", batch.free);
    json.set("consentVersion", batch.consentVersion);
    json.set("files", batch.files);
    json.set("registered", batch.registered);
}

FileCollectionBatch FileCollectionBatch::fromJson(const QByteArray &json)
{
    return json::decode<FileCollectionBatch>(json);
}

std::vector<FileCollectionBatch::Page> FileCollectionBatch::registrationPages(qsizetype total)
{
    std::vector<Page> pages;
    for (qsizetype offset = 0; offset < total; offset += registrationPageSize)
        pages.push_back({offset, std::min(registrationPageSize, total - offset)});
    return pages;
}

QByteArray FileCollectionBatch::toJson() const
{
    return json::encode(*this);
}

} // namespace vorno
