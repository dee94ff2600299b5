#pragma once

#include "CredentialStore.h"
#include "EnclaveSessionCipher.h"
#include "SessionCredentials.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace vorno {

// The application's vault: the session sealed in "session.v1" with a key only
// this machine's TPM can use; every other key goes to the drafts store.
class PersistentCredentials : public CredentialStore
{
public:
    static constexpr qint64 maximumSessionFile = EnclaveSessionCipher::maximumEnvelope;
    static inline const QString sessionFileName = QStringLiteral("session.v1");
    // <H(origin)>, "enclave-sessions" and the application directory.
    static constexpr int ownLevels = 3;

    // `directory` defaults to <support>/<app id>/enclave-sessions/<H(origin)>,
    // `drafts` to a SessionCredentials for the origin, `cipher` to one over the
    // TPM named by VORNO_TPM_TCTI or the system's TPM device.
    explicit PersistentCredentials(QUrl origin, std::optional<QString> directory = std::nullopt,
                                   std::unique_ptr<SessionCredentials> drafts = nullptr,
                                   std::unique_ptr<EnclaveSessionCipher> cipher = nullptr);
    ~PersistentCredentials() override;

    [[nodiscard]] const QString &directory() const { return m_directory; }

    std::optional<QByteArray> read(const QString &key) override;
    void write(const std::optional<QByteArray> &data, const QString &key) override;

    // The session directory, its parent and the application directory above
    // them are, where they exist, real directories (not links, not files);
    // every existing directory above those, and every directory a link there
    // leads through, belongs to root or this user and cannot be changed by
    // others. Throws CloudError(storage) otherwise.
    void validateDirectory() const;

    // Whether a session file exists; throws CloudError(storage) for one that is
    // not a regular 0600 file of ours with one link and at most 64 KiB, and
    // FileError when its attributes cannot be read.
    [[nodiscard]] bool exists() const;

private:
    void sweepOnce();

    QUrl m_origin;
    QString m_directory;
    std::unique_ptr<SessionCredentials> m_drafts;
    std::unique_ptr<EnclaveSessionCipher> m_cipher;
    bool m_swept = false;
};

} // namespace vorno
