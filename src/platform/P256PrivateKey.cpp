#include "platform/P256PrivateKey.h"

#include "platform/CryptoError.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

namespace vorno {

namespace {

struct PkeyFree
{
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct PkeyContextFree
{
    void operator()(EVP_PKEY_CTX *context) const { EVP_PKEY_CTX_free(context); }
};

using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using PkeyContext = std::unique_ptr<EVP_PKEY_CTX, PkeyContextFree>;

void require(bool ok, const char *step)
{
    if (!ok)
        throw CryptoError(step);
}

char groupName[] = "prime256v1";

Pkey publicKeyFrom(const QByteArray &point)
{
    require(point.size() == P256PrivateKey::pointLength && point.at(0) == 0x04, "X9.63 point form");
    QByteArray mutablePoint = point;
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_PKEY_PARAM_GROUP_NAME, groupName, 0),
        OSSL_PARAM_construct_octet_string(OSSL_PKEY_PARAM_PUB_KEY, mutablePoint.data(),
                                          std::size_t(mutablePoint.size())),
        OSSL_PARAM_construct_end(),
    };
    const PkeyContext context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
    require(context != nullptr && EVP_PKEY_fromdata_init(context.get()) == 1, "EC import");
    EVP_PKEY *raw = nullptr;
    // Importing decodes the point, which fails for one that is not on the curve.
    require(EVP_PKEY_fromdata(context.get(), &raw, EVP_PKEY_PUBLIC_KEY, const_cast<OSSL_PARAM *>(params)) == 1,
            "EC point");
    Pkey key(raw);
    const PkeyContext check(EVP_PKEY_CTX_new_from_pkey(nullptr, key.get(), nullptr));
    require(check != nullptr && EVP_PKEY_public_check(check.get()) == 1, "EC point check");
    return key;
}

} // namespace

struct P256PrivateKey::Impl
{
    Pkey key;
};

P256PrivateKey::P256PrivateKey() : m_impl(std::make_unique<Impl>())
{
    m_impl->key.reset(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", groupName));
    require(m_impl->key != nullptr, "EC key generation");
}

P256PrivateKey::~P256PrivateKey() = default;
P256PrivateKey::P256PrivateKey(P256PrivateKey &&) noexcept = default;
P256PrivateKey &P256PrivateKey::operator=(P256PrivateKey &&) noexcept = default;

QByteArray P256PrivateKey::publicPoint() const
{
    QByteArray point(pointLength, Qt::Uninitialized);
    std::size_t length = 0;
    require(EVP_PKEY_get_octet_string_param(m_impl->key.get(), OSSL_PKEY_PARAM_PUB_KEY,
                                            reinterpret_cast<unsigned char *>(point.data()), std::size_t(point.size()),
                                            &length)
                    == 1
                && length == std::size_t(pointLength) && point.at(0) == 0x04,
            "EC public point");
    return point;
}

QByteArray P256PrivateKey::agree(const QByteArray &peerPoint) const
{
    const Pkey peer = publicKeyFrom(peerPoint);
    const PkeyContext context(EVP_PKEY_CTX_new_from_pkey(nullptr, m_impl->key.get(), nullptr));
    require(context != nullptr && EVP_PKEY_derive_init(context.get()) == 1, "ECDH init");
    require(EVP_PKEY_derive_set_peer(context.get(), peer.get()) == 1, "ECDH peer");
    std::size_t length = 0;
    require(EVP_PKEY_derive(context.get(), nullptr, &length) == 1, "ECDH length");
    QByteArray secret(qsizetype(length), Qt::Uninitialized);
    require(EVP_PKEY_derive(context.get(), reinterpret_cast<unsigned char *>(secret.data()), &length) == 1,
            "ECDH derive");
    secret.resize(qsizetype(length));
    return secret;
}

void P256PrivateKey::checkPoint(const QByteArray &point)
{
    (void)publicKeyFrom(point);
}

} // namespace vorno
