#pragma once

#include <QByteArray>

namespace vorno {

// A store of P-256 key-agreement keys whose private part never leaves the
// hardware: a key is handed out only as an opaque blob that this machine's
// hardware alone can use again.
class HardwareKeyStore
{
public:
    struct CreatedKey
    {
        QByteArray blob;        // opaque; only this hardware can load it
        QByteArray publicPoint; // X9.63 uncompressed, 65 bytes
    };

    virtual ~HardwareKeyStore() = default;

    // False when there is no such hardware or we may not use it.
    [[nodiscard]] virtual bool isAvailable() = 0;

    // A new key. Throws when the hardware refuses.
    [[nodiscard]] virtual CreatedKey createKey() = 0;

    // The ECDH shared secret (x coordinate, 32 bytes) of the key in `blob` with
    // `peerPoint`. Throws when the blob does not load here or the point is bad.
    [[nodiscard]] virtual QByteArray agree(const QByteArray &blob, const QByteArray &peerPoint) = 0;
};

} // namespace vorno
