#pragma once

#include <QByteArray>

namespace vorno {

// The software primitives of the sealed session, over OpenSSL 3. Every failure
// throws CryptoError; no partial output is ever returned.
namespace Crypto {

inline constexpr qsizetype gcmNonceLength = 12;
inline constexpr qsizetype gcmTagLength = 16;
inline constexpr qsizetype aes256KeyLength = 32;

// Bytes from the system's CSPRNG.
[[nodiscard]] QByteArray randomBytes(qsizetype count);

// HKDF-SHA256 (RFC 5869).
[[nodiscard]] QByteArray hkdfSha256(const QByteArray &secret, const QByteArray &salt, const QByteArray &info,
                                    qsizetype length);

// AES-256-GCM with a fresh random 96-bit nonce; returns nonce, ciphertext, tag.
[[nodiscard]] QByteArray sealAesGcm(const QByteArray &key, const QByteArray &plaintext,
                                    const QByteArray &additionalData);
// The same with a given nonce, for known-answer tests.
[[nodiscard]] QByteArray sealAesGcm(const QByteArray &key, const QByteArray &nonce, const QByteArray &plaintext,
                                    const QByteArray &additionalData);
// Opens a combined box; throws when it is malformed or does not authenticate.
[[nodiscard]] QByteArray openAesGcm(const QByteArray &key, const QByteArray &combined,
                                    const QByteArray &additionalData);
} // namespace Crypto

} // namespace vorno
