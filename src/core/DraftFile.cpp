#include "core/DraftFile.h"

#include "core/FileError.h"
#include "core/PrivateFiles.h"
#include "core/Text.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace vorno {

DraftFile DraftFile::standard(const QString &appIdentifier)
{
    const QString base = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).value(0);
    return {.path = base + u'/' + appIdentifier + QStringLiteral("/draft.json")};
}

namespace {

const QString temporaryPrefix = QStringLiteral(".draft-");
const QString temporarySuffix = QStringLiteral(".tmp");

} // namespace

std::optional<LocalDraft> DraftFile::read() const
{
    PrivateFiles::sweepTemporaries(QFileInfo(path).absolutePath(), temporaryPrefix, temporarySuffix);
    const std::optional<QByteArray> bytes = PrivateFiles::read(path, readLimit);
    if (!bytes)
        return std::nullopt;
    LocalDraft draft = LocalDraft::fromJson(*bytes);
    if (draft.version != LocalDraft::currentVersion)
        throw FileError(FileError::Code::corruptFile);
    return draft;
}

void DraftFile::save(const LocalDraft &draft) const
{
    const QFileInfo file(path);
    const QString directory = file.absolutePath();
    PrivateFiles::ensureDirectory(directory);
    PrivateFiles::replace(directory, file.fileName(), draft.toJson(),
                          temporaryPrefix + Text::newUuid(true) + temporarySuffix);
}

} // namespace vorno
