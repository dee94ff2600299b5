#pragma once

#include "services/CredentialStore.h"
#include "services/EnclaveSessionCipher.h"
#include "services/KeyringSession.h"
#include "services/SessionCredentials.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <optional>

namespace vorno {

// The application's vault: the session sealed in "session.v1" with a key only
// this machine's TPM can use; every other key goes to the drafts store. A
// user may choose the keyring for machines whose TPM cannot keep it: then a
// session the TPM refuses goes there, and moves to the TPM once it can.
class PersistentCredentials : public CredentialStore
{
public:
    enum class Keeper { nowhere, tpm, keyring };

    static constexpr qint64 maximumSessionFile = EnclaveSessionCipher::maximumEnvelope;
    static inline const QString sessionFileName = QStringLiteral("session.v1");
    // <H(origin)>, "enclave-sessions" and the application directory.
    static constexpr int ownLevels = 3;

    // `directory` defaults to <support>/<app id>/enclave-sessions/<H(origin)>,
    // `drafts` to a SessionCredentials for the origin, `cipher` to one over the
    // TPM named by VORNO_TPM_TCTI or the system's TPM device.
    explicit PersistentCredentials(QUrl origin, std::optional<QString> directory = std::nullopt,
                                   std::unique_ptr<SessionCredentials> drafts = nullptr,
                                   std::unique_ptr<EnclaveSessionCipher> cipher = nullptr,
                                   std::unique_ptr<KeyringSession> keyring = nullptr);
    ~PersistentCredentials() override;

    // Where the session last read or written is kept.
    [[nodiscard]] Keeper keeper() const { return m_keeper; }
    // A sealed session was there but the TPM did not open it (cleared, or
    // sealed by another machine's TPM).
    [[nodiscard]] bool sealedDidNotOpen() const { return m_sealedDidNotOpen; }
    [[nodiscard]] bool isKeyringChosen() const { return m_keyringChosen; }
    [[nodiscard]] KeyringSession *keyring() const { return m_keyring.get(); }
    // On: a session the TPM does not keep goes to the keyring, also the one
    // in use now. Off: the keyring's copy is removed.
    void setKeyringChosen(bool chosen);

    QCoro::Task<> prepare() override;
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
    [[nodiscard]] std::optional<QByteArray> readSealed();
    void writeSealed(const std::optional<QByteArray> &data);

    QUrl m_origin;
    QString m_directory;
    std::unique_ptr<SessionCredentials> m_drafts;
    std::unique_ptr<EnclaveSessionCipher> m_cipher;
    std::unique_ptr<KeyringSession> m_keyring;
    std::optional<QByteArray> m_session; // as last read or written, for a later switch to the keyring
    Keeper m_keeper = Keeper::nowhere;
    bool m_keyringChosen = false;
    bool m_sealedDidNotOpen = false;
    bool m_swept = false;
};

} // namespace vorno
