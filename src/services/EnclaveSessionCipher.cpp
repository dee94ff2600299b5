#include "services/EnclaveSessionCipher.h"

#include "core/CloudError.h"
#include "core/JsonCoding.h"
#include "platform/Crypto.h"
#include "platform/HardwareKeyStore.h"
#include "platform/P256PrivateKey.h"

namespace vorno {

namespace {

struct Envelope
{
    qint64 version = EnclaveSessionCipher::envelopeVersion;
    QByteArray wrappedKey;
    QByteArray peer;
    QByteArray salt;
    QByteArray ciphertext;
};

} // namespace

namespace json {
template<>
struct Coding<Envelope>
{
    static Envelope read(const Reader &json)
    {
        return {json.integer("version"), json.base64("wrappedKey"), json.base64("peer"), json.base64("salt"),
                json.base64("ciphertext")};
    }
    static void write(Writer &json, const Envelope &envelope)
    {
        json.set("version", envelope.version);
        json.setBase64("wrappedKey", envelope.wrappedKey);
        json.setBase64("peer", envelope.peer);
        json.setBase64("salt", envelope.salt);
        json.setBase64("ciphertext", envelope.ciphertext);
    }
};
} // namespace json

EnclaveSessionCipher::EnclaveSessionCipher(std::shared_ptr<HardwareKeyStore> keys, QString appIdentifier)
    : m_keys(std::move(keys)), m_appIdentifier(std::move(appIdentifier))
{
}

QByteArray EnclaveSessionCipher::info(const QUrl &origin) const
{
    return m_appIdentifier.toUtf8() + "/session/v1\n" + origin.toString(QUrl::FullyEncoded).toUtf8();
}

QByteArray EnclaveSessionCipher::seal(const QByteArray &plaintext, const QUrl &origin) const
{
    if (!m_keys || !m_keys->isAvailable() || plaintext.size() > maximumPlaintext)
        throw CloudError(CloudFailure::storage);

    const HardwareKeyStore::CreatedKey hardwareKey = m_keys->createKey();
    const P256PrivateKey ephemeral;
    const QByteArray salt = Crypto::randomBytes(saltLength);
    const QByteArray binding = info(origin);
    const QByteArray key
        = Crypto::hkdfSha256(ephemeral.agree(hardwareKey.publicPoint), salt, binding, Crypto::aes256KeyLength);
    const Envelope envelope {envelopeVersion, hardwareKey.blob, ephemeral.publicPoint(), salt,
                             Crypto::sealAesGcm(key, plaintext, binding)};
    return json::encode(envelope);
}

QByteArray EnclaveSessionCipher::open(const QByteArray &sealed, const QUrl &origin) const
{
    if (!m_keys || sealed.size() > maximumEnvelope)
        throw CloudError(CloudFailure::storage);

    // Everything that can be refused without the hardware is refused first.
    const Envelope envelope = json::decode<Envelope>(sealed);
    if (envelope.version != envelopeVersion || envelope.salt.size() != saltLength)
        throw CloudError(CloudFailure::storage);
    if (!m_keys->isAvailable())
        throw CloudError(CloudFailure::storage);

    P256PrivateKey::checkPoint(envelope.peer);
    const QByteArray secret = m_keys->agree(envelope.wrappedKey, envelope.peer);
    const QByteArray binding = info(origin);
    const QByteArray key = Crypto::hkdfSha256(secret, envelope.salt, binding, Crypto::aes256KeyLength);
    return Crypto::openAesGcm(key, envelope.ciphertext, binding);
}

} // namespace vorno
