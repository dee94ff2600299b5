#include "services/PersistentCredentials.h"

#include "core/CloudError.h"
#include "core/FileError.h"
#include "core/PrivateFiles.h"
#include "core/Text.h"
#include "platform/TpmKeyStore.h"
#include "services/CredentialLocation.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
                                             std::unique_ptr<EnclaveSessionCipher> cipher,
                                             std::unique_ptr<KeyringSession> keyring)
    : m_origin(std::move(origin)),
      m_directory(directory ? std::move(*directory)
                            : CredentialLocation::directory(QStringLiteral("enclave-sessions"), m_origin)),
      m_drafts(drafts ? std::move(drafts) : std::make_unique<SessionCredentials>(m_origin)),
      m_cipher(cipher ? std::move(cipher) : std::make_unique<EnclaveSessionCipher>(std::make_shared<TpmKeyStore>())),
      m_keyring(keyring ? std::move(keyring) : std::make_unique<KeyringSession>(m_origin.toString()))
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
        struct stat status = {};
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
        struct stat status = {};
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
    struct stat status = {};
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
    std::optional<QByteArray> session;
    try {
        session = readSealed();
    } catch (const CloudError &) {
        if (!m_keyringChosen || !m_keyring->value())
            throw;
    }
    if (session) {
        m_keeper = Keeper::tpm;
    } else if (m_keyringChosen && m_keyring->value()) {
        session = m_keyring->value();
        m_keeper = Keeper::keyring;
    } else {
        m_keeper = Keeper::nowhere;
    }
    m_session = session;
    return session;
}

std::optional<QByteArray> PersistentCredentials::readSealed()
{
    return asStorage([this]() -> std::optional<QByteArray> {
        validateDirectory();
        sweepOnce();
        if (!exists())
            return std::nullopt;
        const std::optional<QByteArray> sealed
            = PrivateFiles::read(m_directory + u'/' + sessionFileName, maximumSessionFile);
        if (!sealed)
            return std::nullopt;
        try {
            QByteArray opened = m_cipher->open(*sealed, m_origin);
            m_sealedDidNotOpen = false;
            return opened;
        } catch (...) {
            m_sealedDidNotOpen = true;
            throw;
        }
    });
}

void PersistentCredentials::write(const std::optional<QByteArray> &data, const QString &key)
{
    if (key != sessionKey) {
        m_drafts->write(data, key);
        return;
    }
    m_session = data;
    if (!data) {
        // Signing out removes the session wherever it is kept.
        if (m_keyringChosen || m_keyring->value())
            m_keyring->write(std::nullopt);
        m_keeper = Keeper::nowhere;
        writeSealed(std::nullopt);
        return;
    }
    try {
        writeSealed(data);
    } catch (const CloudError &) {
        if (!m_keyringChosen) {
            m_keeper = Keeper::nowhere;
            throw;
        }
        m_keyring->write(data);
        m_keeper = Keeper::keyring;
        return;
    }
    m_keeper = Keeper::tpm;
    m_sealedDidNotOpen = false;
    if (m_keyring->value()) // the TPM keeps it now: no second copy
        m_keyring->write(std::nullopt);
}

void PersistentCredentials::writeSealed(const std::optional<QByteArray> &data)
{
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

void PersistentCredentials::setKeyringChosen(bool chosen)
{
    if (chosen == m_keyringChosen)
        return;
    m_keyringChosen = chosen;
    if (chosen && m_keeper == Keeper::nowhere && m_session) {
        m_keyring->write(m_session);
        m_keeper = Keeper::keyring;
    } else if (!chosen && m_keyring->value()) {
        m_keyring->write(std::nullopt);
        if (m_keeper == Keeper::keyring)
            m_keeper = Keeper::nowhere;
    }
}

QCoro::Task<> PersistentCredentials::prepare()
{
    if (m_keyringChosen)
        co_await m_keyring->load();
}

} // namespace vorno
