#include "SessionCredentials.h"

#include "CloudError.h"
#include "CredentialLocation.h"
#include "FileError.h"
#include "PrivateFiles.h"
#include "Text.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vorno {

namespace {

const QString sessionKey = QStringLiteral("session");

} // namespace

SessionCredentials::SessionCredentials(const QUrl &origin, std::optional<QString> directory)
    : m_directory(directory ? std::move(*directory) : CredentialLocation::directory(QStringLiteral("session-drafts"), origin))
{
}

bool SessionCredentials::isEntryKey(const QString &key)
{
    return (key.startsWith(u"draft:") || key.startsWith(u"pending:")) && key.size() <= maximumKeyLength;
}

QString SessionCredentials::entryName(const QString &key) const
{
    if (!isEntryKey(key))
        throw CloudError(CloudFailure::storage);
    return Text::sha256Hex(key.toUtf8());
}

std::optional<QByteArray> SessionCredentials::read(const QString &key)
{
    if (key == sessionKey)
        return m_session;
    const QString path = m_directory + u'/' + entryName(key);
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        // Not even able to look: the system's own error, unchanged.
        throw FileError(FileError::Code::io, errno);
    }
    if (S_ISLNK(status.st_mode))
        throw CloudError(CloudFailure::storage);
    try {
        return PrivateFiles::read(path, readLimit);
    } catch (const FileError &) {
        throw CloudError(CloudFailure::storage);
    }
}

void SessionCredentials::write(const std::optional<QByteArray> &data, const QString &key)
{
    if (key == sessionKey) {
        m_session = data;
        return;
    }
    const QString name = entryName(key);
    try {
        PrivateFiles::ensureDirectory(m_directory);
        if (!data) {
            if (::unlink(QFile::encodeName(m_directory + u'/' + name).constData()) != 0 && errno != ENOENT)
                throw FileError(FileError::Code::io, errno);
            return;
        }
        PrivateFiles::replace(m_directory, name, *data, Text::newUuid(true));
    } catch (const FileError &) {
        throw CloudError(CloudFailure::storage);
    }
}

} // namespace vorno
