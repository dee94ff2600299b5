#include "platform/Crypto.h"

#include "platform/CryptoError.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <memory>

namespace vorno {

namespace {

struct CipherContextFree
{
    void operator()(EVP_CIPHER_CTX *context) const { EVP_CIPHER_CTX_free(context); }
};
struct KdfFree
{
    void operator()(EVP_KDF *kdf) const { EVP_KDF_free(kdf); }
};
struct KdfContextFree
{
    void operator()(EVP_KDF_CTX *context) const { EVP_KDF_CTX_free(context); }
};

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

unsigned char *bytes(QByteArray &array)
{
    return reinterpret_cast<unsigned char *>(array.data());
}

const unsigned char *bytes(const QByteArray &array)
{
    return reinterpret_cast<const unsigned char *>(array.constData());
}

void require(bool ok, const char *step)
{
    if (!ok)
        throw CryptoError(step);
}

CipherContext gcmContext(const QByteArray &key, const QByteArray &nonce, bool encrypt)
{
    require(key.size() == Crypto::aes256KeyLength, "AES-256 key length");
    require(nonce.size() == Crypto::gcmNonceLength, "GCM nonce length");
    CipherContext context(EVP_CIPHER_CTX_new());
    require(context != nullptr, "EVP_CIPHER_CTX_new");
    const int enc = encrypt ? 1 : 0;
    require(EVP_CipherInit_ex(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, enc) == 1, "GCM init");
    require(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, int(nonce.size()), nullptr) == 1, "GCM nonce");
    require(EVP_CipherInit_ex(context.get(), nullptr, nullptr, bytes(key), bytes(nonce), enc) == 1, "GCM key");
    return context;
}

void addAuthenticatedData(EVP_CIPHER_CTX *context, const QByteArray &additionalData)
{
    int length = 0;
    if (!additionalData.isEmpty())
        require(EVP_CipherUpdate(context, nullptr, &length, bytes(additionalData), int(additionalData.size())) == 1,
                "GCM additional data");
}

} // namespace

QByteArray Crypto::randomBytes(qsizetype count)
{
    QByteArray result(count, Qt::Uninitialized);
    require(RAND_bytes(bytes(result), int(count)) == 1, "RAND_bytes");
    return result;
}

QByteArray Crypto::hkdfSha256(const QByteArray &secret, const QByteArray &salt, const QByteArray &info,
                              qsizetype length)
{
    const std::unique_ptr<EVP_KDF, KdfFree> kdf(EVP_KDF_fetch(nullptr, "HKDF", nullptr));
    require(kdf != nullptr, "HKDF fetch");
    const std::unique_ptr<EVP_KDF_CTX, KdfContextFree> context(EVP_KDF_CTX_new(kdf.get()));
    require(context != nullptr, "HKDF context");

    QByteArray mutableSecret = secret;
    QByteArray mutableSalt = salt;
    QByteArray mutableInfo = info;
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_KEY, mutableSecret.data(), std::size_t(mutableSecret.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_SALT, mutableSalt.data(), std::size_t(mutableSalt.size())),
        OSSL_PARAM_construct_octet_string(OSSL_KDF_PARAM_INFO, mutableInfo.data(), std::size_t(mutableInfo.size())),
        OSSL_PARAM_construct_end(),
    };
    QByteArray output(length, Qt::Uninitialized);
    require(EVP_KDF_derive(context.get(), bytes(output), std::size_t(length), params) == 1, "HKDF derive");
    return output;
}

QByteArray Crypto::sealAesGcm(const QByteArray &key, const QByteArray &plaintext, const QByteArray &additionalData)
{
    return sealAesGcm(key, randomBytes(gcmNonceLength), plaintext, additionalData);
}

QByteArray Crypto::sealAesGcm(const QByteArray &key, const QByteArray &nonce, const QByteArray &plaintext,
                              const QByteArray &additionalData)
{
    const CipherContext context = gcmContext(key, nonce, true);
    addAuthenticatedData(context.get(), additionalData);

    QByteArray combined = nonce;
    combined.resize(gcmNonceLength + plaintext.size() + gcmTagLength);
    unsigned char *out = bytes(combined) + gcmNonceLength;
    int written = 0;
    if (!plaintext.isEmpty())
        require(EVP_CipherUpdate(context.get(), out, &written, bytes(plaintext), int(plaintext.size())) == 1,
                "GCM encrypt");
    int tail = 0;
    require(EVP_CipherFinal_ex(context.get(), out + written, &tail) == 1, "GCM final");
    require(written + tail == plaintext.size(), "GCM length");
    require(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(gcmTagLength), out + plaintext.size()) == 1,
            "GCM tag");
    return combined;
}

QByteArray Crypto::openAesGcm(const QByteArray &key, const QByteArray &combined, const QByteArray &additionalData)
{
    require(combined.size() >= gcmNonceLength + gcmTagLength, "GCM box too short");
    const QByteArray nonce = combined.left(gcmNonceLength);
    const QByteArray ciphertext = combined.mid(gcmNonceLength, combined.size() - gcmNonceLength - gcmTagLength);
    QByteArray tag = combined.right(gcmTagLength);

    const CipherContext context = gcmContext(key, nonce, false);
    addAuthenticatedData(context.get(), additionalData);
    QByteArray plaintext(ciphertext.size(), Qt::Uninitialized);
    int written = 0;
    if (!ciphertext.isEmpty())
        require(EVP_CipherUpdate(context.get(), bytes(plaintext), &written, bytes(ciphertext), int(ciphertext.size()))
                    == 1,
                "GCM decrypt");
    require(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, int(gcmTagLength), tag.data()) == 1,
            "GCM set tag");
    int tail = 0;
    // Only a matching tag lets the plaintext out.
    require(EVP_CipherFinal_ex(context.get(), bytes(plaintext) + written, &tail) == 1, "GCM authentication");
    return plaintext;
}

} // namespace vorno
