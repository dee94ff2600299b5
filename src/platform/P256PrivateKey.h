#pragma once

#include <QByteArray>

#include <memory>

namespace vorno {

// A software P-256 key-agreement key, held only in memory.
class P256PrivateKey
{
public:
    static constexpr qsizetype pointLength = 65; // ANSI X9.63 uncompressed: 0x04, X, Y

    // A new random key.
    P256PrivateKey();
    ~P256PrivateKey();
    P256PrivateKey(P256PrivateKey &&) noexcept;
    P256PrivateKey &operator=(P256PrivateKey &&) noexcept;

    // The public point in X9.63 form.
    [[nodiscard]] QByteArray publicPoint() const;

    // The ECDH shared secret (the x coordinate, 32 bytes) with a peer's X9.63
    // point. Throws CryptoError for a point that is malformed or not on the curve.
    [[nodiscard]] QByteArray agree(const QByteArray &peerPoint) const;

    // Throws CryptoError unless `point` is a valid P-256 point in X9.63 form.
    static void checkPoint(const QByteArray &point);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace vorno
