#pragma once

#include "BuildConstants.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <memory>

namespace vorno {

class HardwareKeyStore;

// Seals the session bytes so that only this machine's hardware key store, and
// only for this web origin, can open them again: per seal a new hardware
// P-256 key, a software ephemeral key, ECDH, HKDF-SHA256 and AES-256-GCM, with
// the origin bound in as HKDF info and GCM additional data.
class EnclaveSessionCipher
{
public:
    static constexpr qsizetype maximumPlaintext = 16384;
    static constexpr qsizetype maximumEnvelope = 65536;
    static constexpr qsizetype saltLength = 32;
    static constexpr qint64 envelopeVersion = 1;

    explicit EnclaveSessionCipher(std::shared_ptr<HardwareKeyStore> keys,
                                  QString appIdentifier = QString::fromLatin1(build::appIdentifier));

    // The JSON envelope. Throws CloudError(storage) when the hardware is not
    // available or the plaintext is too long; other failures pass through.
    [[nodiscard]] QByteArray seal(const QByteArray &plaintext, const QUrl &origin) const;

    // The plaintext. Throws CloudError(storage) when the hardware is not
    // available, the envelope is too long or of another version or salt size;
    // DecodingError, CryptoError or the key store's error otherwise.
    [[nodiscard]] QByteArray open(const QByteArray &sealed, const QUrl &origin) const;

    // The app identifier, "/session/v1", a line feed and the origin.
    [[nodiscard]] QByteArray info(const QUrl &origin) const;

private:
    std::shared_ptr<HardwareKeyStore> m_keys;
    QString m_appIdentifier;
};

} // namespace vorno
