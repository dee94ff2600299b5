#include "DraftFile.h"

#include "FileError.h"
#include "PrivateFiles.h"
#include "Text.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace vorno {

DraftFile DraftFile::standard(const QString &appIdentifier)
{
    const QString base = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation).value(0);
    return {.path = base + u'/' + appIdentifier + QStringLiteral("/draft.json")};
}

std::optional<LocalDraft> DraftFile::read() const
{
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
                          QStringLiteral(".draft-") + Text::newUuid(true) + QStringLiteral(".tmp"));
}

} // namespace vorno
