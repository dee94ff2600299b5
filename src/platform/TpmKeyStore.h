#pragma once

#include "platform/HardwareKeyStore.h"
#include "platform/TpmHealth.h"

#include <QByteArray>

namespace vorno {

// Keys in a TPM 2.0, through tpm2-tss ESAPI. Each key is a child of the
// storage primary derived from the standard SRK template in the owner
// hierarchy, so its blob (marshalled public and private parts) loads only in
// the TPM that made it. Every call opens its own connection and flushes every
// object it loaded.
class TpmKeyStore : public HardwareKeyStore
{
public:
    // `tcti` as tpm2-tss's loader takes it; by default VORNO_TPM_TCTI when set,
    // else "device:/dev/tpmrm0".
    explicit TpmKeyStore(QByteArray tcti = defaultTcti());

    [[nodiscard]] static QByteArray defaultTcti();

    bool isAvailable() override;
    // Makes a key the way sealing does, to tell why it cannot be done. Slow
    // on real hardware: call it away from the interface thread.
    [[nodiscard]] TpmHealth diagnose() const;
    CreatedKey createKey() override;
    QByteArray agree(const QByteArray &blob, const QByteArray &peerPoint) override;

private:
    QByteArray m_tcti;
};

} // namespace vorno
