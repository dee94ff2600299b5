#pragma once

#include "BuildConstants.h"
#include "core/CloudWorkContext.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QUrl>

#include <optional>

namespace vorno {

// One work record of the account, as the service lists it. Dates stay the
// strings the service sent.
struct CloudWork
{
    QString id;
    QString text;
    QString occurredOn;
    std::optional<QString> origin;
    std::optional<QString> dateBasis;
    std::optional<QString> createdAt;
    std::optional<QString> projectSlug;
    std::optional<QString> sourceId;
    std::optional<CloudWorkContext> work;

    // The record's page on the web: origin + "/worklog?record=<id>".
    [[nodiscard]] std::optional<QUrl> recordURL(const QUrl &webOrigin
                                                = QUrl(QString::fromLatin1(build::webOrigin))) const;

    [[nodiscard]] static CloudWork fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const CloudWork &, const CloudWork &) = default;
};

// Records of current sources first, then newest first by `createdAt`, ties by id;
// stable, and trimmed to `limit`.
[[nodiscard]] QList<CloudWork> recentCloudWork(const QList<CloudWork> &work, const QSet<QString> &currentSources,
                                               qsizetype limit);

} // namespace vorno
