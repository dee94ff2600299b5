#include "FileIntent.h"

#include "FileError.h"

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
        const QByteArray path = QFile::encodeName(url.toLocalFile());
        struct stat status {};
        if (::lstat(path.constData(), &status) != 0)
            throw FileError(FileError::Code::io, errno);
        if (!S_ISREG(status.st_mode) || ::access(path.constData(), R_OK) != 0)
            throw FileError(FileError::Code::noPermission);
        const QUrl standard = QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
        if (!staged.contains(standard))
            staged.append(standard);
    }
    return staged;
}

} // namespace vorno
