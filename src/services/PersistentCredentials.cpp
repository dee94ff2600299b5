#include "PersistentCredentials.h"

#include "CloudError.h"
#include "CredentialLocation.h"
#include "FileError.h"
#include "PrivateFiles.h"
#include "Text.h"
#include "TpmKeyStore.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace vorno {

namespace {

const QString sessionKey = QStringLiteral("session");

// Runs one vault step and reports any failure as storage.
template<class Step>
auto asStorage(Step step)
{
    try {
        return step();
    } catch (const CloudError &) {
        throw;
    } catch (const std::exception &) {
        throw CloudError(CloudFailure::storage);
    }
}

} // namespace

PersistentCredentials::PersistentCredentials(QUrl origin, std::optional<QString> directory,
                                             std::unique_ptr<SessionCredentials> drafts,
                                             std::unique_ptr<EnclaveSessionCipher> cipher)
    : m_origin(std::move(origin)),
      m_directory(directory ? std::move(*directory)
                            : CredentialLocation::directory(QStringLiteral("enclave-sessions"), m_origin)),
      m_drafts(drafts ? std::move(drafts) : std::make_unique<SessionCredentials>(m_origin)),
      m_cipher(cipher ? std::move(cipher) : std::make_unique<EnclaveSessionCipher>(std::make_shared<TpmKeyStore>()))
{
}

PersistentCredentials::~PersistentCredentials() = default;

void PersistentCredentials::validateDirectory() const
{
    QString path = QDir::cleanPath(QDir(m_directory).absolutePath());
    while (path != u"/" && !path.isEmpty()) {
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
            if (errno != ENOENT)
                throw CloudError(CloudFailure::storage);
        } else if (!S_ISDIR(status.st_mode)) {
            throw CloudError(CloudFailure::storage);
        }
        path = QFileInfo(path).path();
    }
}

bool PersistentCredentials::exists() const
{
    struct stat status {};
    if (::lstat(QFile::encodeName(m_directory + u'/' + sessionFileName).constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        throw FileError(FileError::Code::io, errno);
    }
    const bool sound = S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & 07777) == 0600
        && status.st_nlink == 1 && status.st_size <= maximumSessionFile;
    if (!sound)
        throw CloudError(CloudFailure::storage);
    return true;
}

std::optional<QByteArray> PersistentCredentials::read(const QString &key)
{
    if (key != sessionKey)
        return m_drafts->read(key);
    return asStorage([this]() -> std::optional<QByteArray> {
        validateDirectory();
        if (!exists())
            return std::nullopt;
        const std::optional<QByteArray> sealed =
            PrivateFiles::read(m_directory + u'/' + sessionFileName, maximumSessionFile);
        if (!sealed)
            return std::nullopt;
        return m_cipher->open(*sealed, m_origin);
    });
}

void PersistentCredentials::write(const std::optional<QByteArray> &data, const QString &key)
{
    if (key != sessionKey) {
        m_drafts->write(data, key);
        return;
    }
    asStorage([this, &data] {
        validateDirectory();
        const bool existed = exists();
        if (!data) {
            if (existed && ::unlink(QFile::encodeName(m_directory + u'/' + sessionFileName).constData()) != 0
                && errno != ENOENT)
                throw FileError(FileError::Code::io, errno);
            return;
        }
        const QByteArray sealed = m_cipher->seal(*data, m_origin);
        PrivateFiles::ensureDirectory(m_directory);
        validateDirectory();
        PrivateFiles::replace(m_directory, sessionFileName, sealed, Text::newUuid(true));
    });
}

} // namespace vorno
