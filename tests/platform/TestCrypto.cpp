#include "platform/Crypto.h"
#include "platform/CryptoError.h"
#include "DataCases.h"
#include "platform/P256PrivateKey.h"

#include <QTest>

using namespace vorno;

class TestCrypto : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hkdf_data() { datacases::addTable(u"crypto.json"_qs, u"hkdf"_qs); }

    void hkdf()
    {
        QFETCH(QByteArray, ikm);
        QFETCH(QByteArray, salt);
        QFETCH(QByteArray, info);
        QFETCH(QByteArray, okm);
        QCOMPARE(Crypto::hkdfSha256(ikm, salt, info, okm.size()).toHex(), okm.toHex());
    }

    void gcmKnownAnswers_data() { datacases::addTable(u"crypto.json"_qs, u"gcmKnownAnswers"_qs); }

    void gcmKnownAnswers()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, nonce);
        QFETCH(QByteArray, plaintext);
        QFETCH(QByteArray, aad);
        QFETCH(QByteArray, ciphertext);
        QFETCH(QByteArray, tag);

        const QByteArray combined = Crypto::sealAesGcm(key, nonce, plaintext, aad);
        QCOMPARE(combined.toHex(), (nonce + ciphertext + tag).toHex());
        QCOMPARE(Crypto::openAesGcm(key, combined, aad), plaintext);
    }

    void gcmRefusesTampering_data() { datacases::addTable(u"crypto.json"_qs, u"gcmRefusesTampering"_qs); }

    void gcmRefusesTampering()
    {
        QFETCH(int, flip);
        QFETCH(bool, otherData);
        QFETCH(int, length);

        const QByteArray key = Crypto::randomBytes(32);
        QByteArray box = Crypto::sealAesGcm(key, "hello", "data");
        QCOMPARE(box.size(), 12 + 5 + 16);
        if (flip >= 0)
            box[flip] = char(box[flip] ^ 0x01);
        if (length >= 0)
            box.truncate(length);
        QVERIFY_THROWS_EXCEPTION(CryptoError, (void)Crypto::openAesGcm(key, box, otherData ? "other" : "data"));
    }

    void ecdhAgreesBothWays()
    {
        const P256PrivateKey alice;
        const P256PrivateKey bob;
        QCOMPARE(alice.publicPoint().size(), 65);
        QCOMPARE(alice.publicPoint().at(0), '\x04');
        const QByteArray secret = alice.agree(bob.publicPoint());
        QCOMPARE(secret.size(), 32);
        QCOMPARE(secret, bob.agree(alice.publicPoint()));
        QVERIFY(secret != P256PrivateKey().agree(bob.publicPoint()));
    }

    void ecdhRefusesBadPoints_data()
    {
        QTest::addColumn<QByteArray>("point");

        const QByteArray good = P256PrivateKey().publicPoint();
        QByteArray offCurve = good;
        offCurve[64] = char(offCurve[64] ^ 0x01);
        QByteArray compressedTag = good;
        compressedTag[0] = 0x02;
        QTest::newRow("empty")          << QByteArray();
        QTest::newRow("truncated")      << good.left(64);
        QTest::newRow("one extra byte") << good + '\0';
        QTest::newRow("wrong tag")      << compressedTag;
        QTest::newRow("not on curve")   << offCurve;
        QTest::newRow("point at zero")  << QByteArray(1, 0x04) + QByteArray(64, 0);
        QTest::newRow("compressed")     << good.left(33);
    }

    void ecdhRefusesBadPoints()
    {
        QFETCH(QByteArray, point);
        QVERIFY_THROWS_EXCEPTION(CryptoError, (void)P256PrivateKey().agree(point));
        QVERIFY_THROWS_EXCEPTION(CryptoError, P256PrivateKey::checkPoint(point));
    }
};

QTEST_GUILESS_MAIN(TestCrypto)
#include "TestCrypto.moc"
