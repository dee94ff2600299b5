#include "SoftwareKeyStore.h"

#include "platform/Crypto.h"

#include <stdexcept>

bool SoftwareKeyStore::isAvailable()
{
    ++availabilityChecks;
    return available;
}

vorno::HardwareKeyStore::CreatedKey SoftwareKeyStore::createKey()
{
    auto key = std::make_shared<vorno::P256PrivateKey>();
    const QByteArray blob = vorno::Crypto::randomBytes(16);
    m_keys.insert(blob, key);
    return {blob, key->publicPoint()};
}

QByteArray SoftwareKeyStore::agree(const QByteArray &blob, const QByteArray &peerPoint)
{
    ++agreements;
    const auto key = m_keys.value(blob);
    if (!key)
        throw std::runtime_error("unknown key blob");
    return key->agree(peerPoint);
}
