#pragma once

#include "BuildConstants.h"
#include "core/CollectedFile.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace vorno {

// One collection of files; its JSON form is the outbox's "batch.json".
struct FileCollectionBatch
{
    static constexpr qsizetype maximumResultSources = 100;
    static constexpr qsizetype registrationPageSize = 128;

    // The files one registration request carries.
    struct Page
    {
        qsizetype offset = 0;
        qsizetype size = 0;
    };

    QString owner;
    QString id; // lower-case UUID
    bool free = false;
    QString consentVersion;
    std::vector<CollectedFile> files;
    bool registered = false;

    // Where the results are reviewed on the web, or nothing when `currentOwner`
    // does not own the batch or there is nothing to show yet.
    [[nodiscard]] std::optional<QUrl> resultURL(const QString &currentOwner, const std::optional<QString> &sourceID,
                                                const QUrl &webOrigin
                                                = QUrl(QString::fromLatin1(build::webOrigin))) const;

    // A free batch is registered in pages of at most `registrationPageSize`
    // files, in order; the last one seals it.
    [[nodiscard]] static std::vector<Page> registrationPages(qsizetype total);

    [[nodiscard]] static FileCollectionBatch fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const FileCollectionBatch &, const FileCollectionBatch &) = default;
};

} // namespace vorno
