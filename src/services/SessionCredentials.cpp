#include "services/SessionCredentials.h"

#include "core/CloudError.h"
#include "core/FileError.h"
#include "core/PrivateFiles.h"
#include "core/Text.h"
#include "services/CredentialLocation.h"

#include <QFile>

#include <cerrno>
#include <unistd.h>

#include <utility>

namespace vorno {

namespace {

const QString sessionKey = QStringLiteral("session");

} // namespace

SessionCredentials::SessionCredentials(const QUrl &origin, std::optional<QString> directory)
    : m_directory(directory ? std::move(*directory)
                            : CredentialLocation::directory(QStringLiteral("session-drafts"), origin))
{
}

bool SessionCredentials::isEntryKey(const QString &key)
{
    return (key.startsWith(u"draft:") || key.startsWith(u"pending:")) && Text::characterCount(key) <= maximumKeyLength;
}

QString SessionCredentials::entryName(const QString &key) const
{
    if (!isEntryKey(key))
        throw CloudError(CloudFailure::storage);
    return Text::sha256Hex(key.toUtf8());
}

void SessionCredentials::sweepOnce()
{
    if (std::exchange(m_swept, true))
        return;
    // A write killed before its rename leaves note text behind under a name no
    // key maps to.
    PrivateFiles::sweepTemporaries(m_directory, {}, {});
}

std::optional<QByteArray> SessionCredentials::read(const QString &key)
{
    if (key == sessionKey)
        return m_session;
    const QString name = entryName(key);
    sweepOnce();
    try {
        // Neither the entry nor its directory may be a link.
        return PrivateFiles::readIn(m_directory, name, readLimit);
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
        sweepOnce();
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
