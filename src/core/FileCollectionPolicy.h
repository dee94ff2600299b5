#pragma once

#include "core/FileCandidate.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace vorno {

// Which files the service collects for this user, and the consent it asks for.
struct FileCollectionPolicy
{
    struct Copy
    {
        QStringList checks; // one statement per check box; all must be ticked
        QString responsibility;
        QString processing;
        QString retention;

        friend bool operator==(const Copy &, const Copy &) = default;
    };

    // The largest file the outbox keeps a recovery copy of, and so the largest
    // that can ever be uploaded, whatever the service allows.
    static constexpr qint64 maximumCopyBytes = 20 * 1024 * 1024;

    QString ownerId;
    bool pro = false;
    bool firstFree = false;
    QStringList extensions;              // lower case, without the dot
    QMap<QString, QString> contentTypes; // lower-case extension to MIME type
    qint64 maxBytes = 0;
    QString consentVersion;
    Copy copy;

    // Reads the file at `path` and makes its record (status "local"), or throws:
    // FileCollectionError server("invalid_file") for an empty file, one larger
    // than min(maxBytes, maximumCopyBytes), or an
    // unlisted extension, changed() when its length moved while it was read,
    // CloudError(invalid) when the policy names no content type for it, FileError
    // when it cannot be read. The bytes come back for the recovery copy.
    [[nodiscard]] FileCandidate candidate(const QString &path) const;

    [[nodiscard]] static FileCollectionPolicy fromJson(const QByteArray &json);
    [[nodiscard]] QByteArray toJson() const;

    friend bool operator==(const FileCollectionPolicy &, const FileCollectionPolicy &) = default;
};

} // namespace vorno
