#pragma once

#include "platform/HardwareKeyStore.h"
#include "platform/P256PrivateKey.h"

#include <QByteArray>
#include <QHash>

#include <memory>

// A stand-in for the hardware key store in tests: keys live in this object's
// memory, so a blob opens only with the instance that made it.
class SoftwareKeyStore : public vorno::HardwareKeyStore
{
public:
    bool available = true;
    int availabilityChecks = 0;
    int agreements = 0;

    bool isAvailable() override;
    CreatedKey createKey() override;
    QByteArray agree(const QByteArray &blob, const QByteArray &peerPoint) override;

private:
    QHash<QByteArray, std::shared_ptr<vorno::P256PrivateKey>> m_keys;
};
