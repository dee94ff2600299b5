#include "core/FileIntent.h"

#include "core/FileError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vorno {

QList<QUrl> FileIntent::stage(const QList<QUrl> &urls)
{
    QList<QUrl> staged;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            throw FileError(FileError::Code::unsupportedScheme);
        // The location kept is the one checked: through a linked folder,
        // "link/../x" names another file than its cleaned form.
        const QString cleaned = QDir::cleanPath(url.toLocalFile());
        const QByteArray path = QFile::encodeName(cleaned);
        struct stat status = {};
        if (::lstat(path.constData(), &status) != 0)
            throw FileError(FileError::Code::io, errno);
        if (!S_ISREG(status.st_mode) || ::access(path.constData(), R_OK) != 0)
            throw FileError(FileError::Code::noPermission);
        const QUrl standard = QUrl::fromLocalFile(cleaned);
        if (!staged.contains(standard))
            staged.append(standard);
    }
    return staged;
}

} // namespace vorno
