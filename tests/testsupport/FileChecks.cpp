#include "FileChecks.h"

#include "CloudError.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace filechecks {

unsigned modeOf(const QString &path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entriesOf(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

bool refusedAsStorage(const std::function<void()> &step)
{
    try {
        step();
    } catch (const vorno::CloudError &error) {
        return error.failure() == vorno::CloudFailure::storage;
    }
    return false;
}

} // namespace filechecks
