#pragma once

#include "BuildConstants.h"
#include "core/CollectedFile.h"
#include "core/FileCollectionBatch.h"
#include "core/FileCollectionPolicy.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace vorno {

// The on-disk recovery queue of one user against one service origin: the
// batch record and a private copy of every file's bytes, so that a collection
// survives a quit or crash and uploads exactly the bytes the user chose.
class FileCollectionOutbox
{
public:
    static constexpr qint64 maximumCopy = FileCollectionPolicy::maximumCopyBytes;
    static inline const QString batchFileName = QStringLiteral("batch.json");

    // <root>/<SHA-256 of the origin>/<owner>; `root` defaults to
    // <application support>/<development app identifier>/file-outbox. Throws
    // CloudError(invalid) unless `owner` is a UUID. Touches no file.
    FileCollectionOutbox(const QString &owner, const QUrl &origin, std::optional<QString> root = std::nullopt);

    [[nodiscard]] const QString &directory() const { return m_directory; }
    [[nodiscard]] static QString defaultRoot(const QString &appIdentifier
                                             = QString::fromLatin1(build::developmentAppIdentifier));

    // <directory>/<file id>.data; throws CloudError(invalid) for an id that is not a UUID.
    [[nodiscard]] QString bytesPath(const CollectedFile &file) const;

    void prepareDirectory() const;
    // Durably replaces the batch record.
    void write(const FileCollectionBatch &batch) const;
    // The stored batch of `owner`, or nothing. Throws CloudError(storage) for a
    // record of another owner, with an id that is not a UUID or with duplicate
    // file ids, and CloudError(invalid) for a file id that is not a UUID.
    [[nodiscard]] std::optional<FileCollectionBatch> read(const QString &owner) const;
    // read(), then removes what a crash left: temporary records and copies that
    // the stored batch (or, without one, nothing) names.
    [[nodiscard]] std::optional<FileCollectionBatch> recover(const QString &owner) const;
    // Stores a recovery copy; an existing copy is never overwritten. The copy
    // is durable only after `makeDurable`, which must come before a record names it.
    void copy(const QByteArray &data, const CollectedFile &file) const;
    // Waits until the copies of `files` are on the disk: one wait for a whole
    // batch, while the disk writes them back in the order they were made.
    void makeDurable(const std::vector<CollectedFile> &files) const;
    // The recovery copy, checked against its record; FileCollectionError
    // changed() for a copy that is a link, not a regular file, of another size,
    // over 20 MiB or with other content.
    [[nodiscard]] QByteArray bytes(const CollectedFile &file) const;
    void removeBytes(const CollectedFile &file) const;
    // Every recovery copy in the directory, then the record; the directory stays.
    void clear() const;

    [[nodiscard]] static QString hash(const QByteArray &data);

private:
    QString m_directory;
};

} // namespace vorno
