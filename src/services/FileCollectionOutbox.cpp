#include "services/FileCollectionOutbox.h"

#include "core/CloudError.h"
#include "core/FileCollectionError.h"
#include "core/FileError.h"
#include "core/PrivateFiles.h"
#include "core/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <cerrno>
#include <sys/stat.h>

namespace vorno {

namespace {

// The batch record is a few hundred bytes a file; this is far above any batch.
constexpr qint64 batchReadLimit = 64 * 1024 * 1024;

const QString temporaryPrefix = QStringLiteral(".batch-");
const QString temporarySuffix = QStringLiteral(".tmp");
const QString copySuffix = QStringLiteral(".data");

[[noreturn]] void changed()
{
    throw FileCollectionError(FileCollectionFailure::changed());
}

// "<uuid>.data": the name of a recovery copy, whichever batch it was made for.
bool isCopyName(QStringView name)
{
    return name.endsWith(copySuffix) && Text::isUuid(name.chopped(copySuffix.size()));
}

} // namespace

FileCollectionOutbox::FileCollectionOutbox(const QString &owner, const QUrl &origin, std::optional<QString> root)
{
    if (!Text::isUuid(owner))
        throw CloudError(CloudFailure::invalid);
    m_directory
        = (root ? *root : defaultRoot()) + u'/' + hash(origin.toString(QUrl::FullyEncoded).toUtf8()) + u'/' + owner;
}

QString FileCollectionOutbox::defaultRoot(const QString &appIdentifier)
{
    return QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).value(0) + u'/' + appIdentifier
        + QStringLiteral("/file-outbox");
}

QString FileCollectionOutbox::hash(const QByteArray &data)
{
    return Text::sha256Hex(data);
}

QString FileCollectionOutbox::bytesPath(const CollectedFile &file) const
{
    if (!Text::isUuid(file.id))
        throw CloudError(CloudFailure::invalid);
    return m_directory + u'/' + file.id + copySuffix;
}

void FileCollectionOutbox::prepareDirectory() const
{
    PrivateFiles::ensureDirectory(m_directory);
}

void FileCollectionOutbox::write(const FileCollectionBatch &batch) const
{
    prepareDirectory();
    PrivateFiles::replace(m_directory, batchFileName, batch.toJson(),
                          temporaryPrefix + Text::newUuid(true) + temporarySuffix);
}

std::optional<FileCollectionBatch> FileCollectionOutbox::read(const QString &owner) const
{
    const std::optional<QByteArray> bytes = PrivateFiles::read(m_directory + u'/' + batchFileName, batchReadLimit);
    if (!bytes)
        return std::nullopt;
    FileCollectionBatch batch = FileCollectionBatch::fromJson(*bytes);
    QSet<QString> ids;
    for (const CollectedFile &file : batch.files)
        ids.insert(file.id);
    if (batch.owner != owner || !Text::isUuid(batch.id) || ids.size() != qsizetype(batch.files.size()))
        throw CloudError(CloudFailure::storage);
    for (const CollectedFile &file : batch.files) {
        if (!Text::isUuid(file.id))
            throw CloudError(CloudFailure::invalid);
    }
    return batch;
}

std::optional<FileCollectionBatch> FileCollectionOutbox::recover(const QString &owner) const
{
    std::optional<FileCollectionBatch> batch = read(owner);
    PrivateFiles::sweepTemporaries(m_directory, temporaryPrefix, temporarySuffix);
    // Copies are made before the record that names them: a crash in between
    // leaves copies that nothing would ever upload or remove.
    QSet<QString> named;
    if (batch) {
        for (const CollectedFile &file : batch->files)
            named.insert(file.id + copySuffix);
    }
    PrivateFiles::removeMatching(
        m_directory, [&named](QStringView name) { return isCopyName(name) && !named.contains(name.toString()); });
    return batch;
}

void FileCollectionOutbox::copy(const QByteArray &data, const CollectedFile &file) const
{
    PrivateFiles::create(bytesPath(file), data);
}

void FileCollectionOutbox::makeDurable(const std::vector<CollectedFile> &files) const
{
    QStringList names;
    for (const CollectedFile &file : files)
        names.append(QFileInfo(bytesPath(file)).fileName());
    PrivateFiles::flush(m_directory, names);
}

QByteArray FileCollectionOutbox::bytes(const CollectedFile &file) const
{
    const QString path = bytesPath(file);
    struct stat status = {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        if (errno == ENOENT)
            changed();
        throw FileError(FileError::Code::io, errno);
    }
    if (!S_ISREG(status.st_mode) || status.st_size != file.size || status.st_size > maximumCopy)
        changed();
    std::optional<QByteArray> data;
    try {
        data = PrivateFiles::read(path, std::min<qint64>(file.size, maximumCopy));
    } catch (const std::exception &) {
        changed(); // swapped, grown or made unreadable since the check
    }
    if (!data || data->size() != file.size || hash(*data) != file.sha256)
        changed();
    return *data;
}

void FileCollectionOutbox::removeBytes(const CollectedFile &file) const
{
    PrivateFiles::remove(bytesPath(file));
}

void FileCollectionOutbox::clear() const
{
    // Every copy in the directory, also those of a record that could not be read.
    PrivateFiles::removeMatching(m_directory, isCopyName);
    PrivateFiles::remove(m_directory + u'/' + batchFileName);
}

} // namespace vorno
