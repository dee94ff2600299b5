#include "FileChecks.h"

#include "core/CloudError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

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

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        QFAIL(qPrintable(u"cannot write "_qs + path));
}

QStringList entriesOf(const QString &directory)
{
    return QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
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

QString uuid(int n)
{
    return QStringLiteral("00000000-0000-4000-8000-%1").arg(n, 12, 10, QLatin1Char('0'));
}

QString hashOf(const QString &key)
{
    return QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex());
}

} // namespace filechecks
