#include "core/CloudError.h"
#include "DataCases.h"
#include "core/DecodingError.h"
#include "services/EnclaveSessionCipher.h"
#include "Outcome.h"
#include "SoftwareKeyStore.h"
#include "SoftwareTpm.h"
#include "platform/TpmKeyStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace vorno;

namespace {

const QUrl origin(u"https://vorno.example"_qs);
const QByteArray sessionBytes = R"({"access_token":"a","refresh_token":"r","user":{"id":"u"}})";

QJsonObject envelopeOf(const QByteArray &sealed)
{
    return QJsonDocument::fromJson(sealed).object();
}

QByteArray rebuilt(const QJsonObject &envelope)
{
    return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
}

// How opening ended: "ok", "storage", "decoding" or "refused" (crypto or key store).
QString openOutcome(const EnclaveSessionCipher &cipher, const QByteArray &sealed, const QUrl &at = origin)
{
    try {
        return cipher.open(sealed, at) == sessionBytes ? u"ok"_qs : u"wrong plaintext"_qs;
    } catch (const CloudError &error) {
        return error.failure() == CloudFailure::storage ? u"storage"_qs : u"other cloud failure"_qs;
    } catch (const DecodingError &) {
        return u"decoding"_qs;
    } catch (const std::exception &) {
        return u"refused"_qs;
    }
}

} // namespace

class TestEnclaveSessionCipher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sealTwiceOpensBoth()
    {
        EnclaveSessionCipher cipher(std::make_shared<SoftwareKeyStore>());
        const QByteArray first = cipher.seal(sessionBytes, origin);
        const QByteArray second = cipher.seal(sessionBytes, origin);
        QVERIFY(first != second);
        for (const char *member : {"wrappedKey", "peer", "salt", "ciphertext"})
            QVERIFY2(envelopeOf(first).value(QLatin1StringView(member)) != envelopeOf(second).value(QLatin1StringView(member)), member);
        QCOMPARE(openOutcome(cipher, first), u"ok"_qs);
        QCOMPARE(openOutcome(cipher, second), u"ok"_qs);
    }

    void tamperedEnvelopes_data() { datacases::addTable(u"enclavesessioncipher.json"_qs, u"tamperedEnvelopes"_qs); }

    void tamperedEnvelopes()
    {
        QFETCH(QString, member);
        QFETCH(int, byte);
        QFETCH(QString, expected);

        EnclaveSessionCipher cipher(std::make_shared<SoftwareKeyStore>());
        QJsonObject envelope = envelopeOf(cipher.seal(sessionBytes, origin));
        QByteArray bytes = QByteArray::fromBase64(envelope.value(member).toString().toLatin1());
        const qsizetype at = byte < 0 ? bytes.size() - 1 : byte;
        bytes[at] = char(bytes[at] ^ 0x01);
        envelope[member] = QString::fromLatin1(bytes.toBase64());
        QCOMPARE(openOutcome(cipher, rebuilt(envelope)), expected);
    }

    void refusedBeforeAnyKeyWork_data()
    {
        datacases::addTable(u"enclavesessioncipher.json"_qs, u"refusedBeforeAnyKeyWork"_qs);
    }

    void refusedBeforeAnyKeyWork()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);

        auto keys = std::make_shared<SoftwareKeyStore>();
        EnclaveSessionCipher cipher(keys);
        const QByteArray sealed = cipher.seal(sessionBytes, origin);
        QJsonObject envelope = envelopeOf(sealed);
        QByteArray input;
        if (change == u"salt31" || change == u"salt33") {
            envelope[u"salt"] = QString::fromLatin1(QByteArray(change == u"salt31" ? 31 : 33, 'x').toBase64());
        } else if (change == u"version2") {
            envelope[u"version"] = 2;
        } else if (change == u"versionText") {
            envelope[u"version"] = u"1"_qs;
        } else if (change == u"noPeer") {
            envelope.remove(u"peer");
        } else if (change == u"saltJunk") {
            envelope[u"salt"] = u"@@@@"_qs;
        }
        if (change == u"oversize") {
            input = sealed;
            input.insert(1, QByteArray(65537 - sealed.size(), ' ')); // still valid JSON
            QCOMPARE(input.size(), 65537);
        } else if (change == u"truncated") {
            input = sealed.left(sealed.size() / 2);
        } else {
            input = rebuilt(envelope);
        }

        keys->availabilityChecks = 0;
        keys->agreements = 0;
        QCOMPARE(openOutcome(cipher, input), expected);
        QCOMPARE(keys->availabilityChecks, 0);
        QCOMPARE(keys->agreements, 0);
    }

    void unavailableHardware()
    {
        auto keys = std::make_shared<SoftwareKeyStore>();
        EnclaveSessionCipher cipher(keys);
        const QByteArray sealed = cipher.seal(sessionBytes, origin);
        keys->available = false;
        QCOMPARE(openOutcome(cipher, sealed), u"storage"_qs);
        QVERIFY_THROWS_EXCEPTION(CloudError, (void)cipher.seal(sessionBytes, origin));
    }

    void withASoftwareTpm()
    {
        const SoftwareTpm tpm;
        QVERIFY2(!tpm.tcti().isEmpty(), qPrintable(tpm.error()));
        EnclaveSessionCipher cipher(std::make_shared<TpmKeyStore>(tpm.tcti()));
        const QByteArray sealed = cipher.seal(sessionBytes, origin);
        QCOMPARE(openOutcome(cipher, sealed), u"ok"_qs);
        QCOMPARE(openOutcome(cipher, sealed, QUrl(u"https://other.example"_qs)), u"refused"_qs);

        // With the TPM unreachable both directions fail with storage.
        EnclaveSessionCipher unreachable(std::make_shared<TpmKeyStore>("swtpm:host=127.0.0.1,port=1"));
        QCOMPARE(openOutcome(unreachable, sealed), u"storage"_qs);
        QCOMPARE(outcome([&] { (void)unreachable.seal(sessionBytes, origin); }), u"storage"_qs);
    }
};

QTEST_GUILESS_MAIN(TestEnclaveSessionCipher)
#include "TestEnclaveSessionCipher.moc"
