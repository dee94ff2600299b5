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
#include <cstdlib>
#include <utility>
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

namespace {

[[noreturn]] void refuse()
{
    throw CloudError(CloudFailure::storage);
}

// Nobody but root and this user can change what lies below it. A sticky
// directory such as /tmp lets others add entries but never replace ours.
bool isTrusted(const struct stat &status)
{
    const bool owner = status.st_uid == 0 || status.st_uid == ::geteuid();
    const bool writableByOthers = (status.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (status.st_mode & S_ISVTX) == 0;
    return owner && !writableByOthers;
}

// Every directory from `path` up to "/" (which is not examined) is trusted;
// `path` has no links in it.
void checkRealAncestors(const QString &path)
{
    for (QString current = path; current != u"/" && !current.isEmpty(); current = QFileInfo(current).path()) {
        struct stat status {};
        if (::lstat(QFile::encodeName(current).constData(), &status) != 0 || !S_ISDIR(status.st_mode)
            || !isTrusted(status))
            refuse();
    }
}

} // namespace

void PersistentCredentials::validateDirectory() const
{
    QString path = QDir::cleanPath(QDir(m_directory).absolutePath());
    std::optional<QString> firstAbove; // the first existing directory above our own
    for (int level = 0; path != u"/" && !path.isEmpty(); ++level, path = QFileInfo(path).path()) {
        struct stat status {};
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
            if (errno != ENOENT)
                refuse();
            continue;
        }
        if (level < ownLevels) {
            // Our own directories are never links.
            if (!S_ISDIR(status.st_mode))
                refuse();
            continue;
        }
        // Above them a home or data directory reached through a link is
        // common; what the link and its target say must be ours or root's.
        if (S_ISLNK(status.st_mode)) {
            if (status.st_uid != 0 && status.st_uid != ::geteuid())
                refuse();
        } else if (!S_ISDIR(status.st_mode) || !isTrusted(status)) {
            refuse();
        }
        if (!firstAbove)
            firstAbove = path;
    }
    if (firstAbove) {
        char *resolved = ::realpath(QFile::encodeName(*firstAbove).constData(), nullptr);
        if (!resolved)
            refuse();
        const QString real = QFile::decodeName(resolved);
        std::free(resolved);
        checkRealAncestors(real);
    }
}

void PersistentCredentials::sweepOnce()
{
    if (!std::exchange(m_swept, true))
        PrivateFiles::sweepTemporaries(m_directory, {}, {}); // seals a crash cut short
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
        sweepOnce();
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
        sweepOnce();
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
