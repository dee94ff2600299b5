#include "platform/Crypto.h"
#include "platform/CryptoError.h"
#include "DataCases.h"
#include "platform/P256PrivateKey.h"

#include <QTest>

using namespace vorno;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

class TestCrypto : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hkdf_data();
    void hkdf();
    void gcmKnownAnswers_data();
    void gcmKnownAnswers();
    void gcmRefusesTampering_data();
    void gcmRefusesTampering();
    void ecdhAgreesBothWays();
    void ecdhRefusesBadPoints_data();
    void ecdhRefusesBadPoints();
};

void TestCrypto::hkdf_data()
{
    datacases::addTable(u"crypto.json"_qs, u"hkdf"_qs);
}

void TestCrypto::hkdf()
{
    QFETCH(QByteArray, ikm);
    QFETCH(QByteArray, salt);
    QFETCH(QByteArray, info);
    QFETCH(QByteArray, okm);
    QCOMPARE(Crypto::hkdfSha256(ikm, salt, info, okm.size()).toHex(), okm.toHex());
}

void TestCrypto::gcmKnownAnswers_data()
{
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("nonce");
    QTest::addColumn<QByteArray>("plaintext");
    QTest::addColumn<QByteArray>("aad");
    QTest::addColumn<QByteArray>("ciphertext");
    QTest::addColumn<QByteArray>("tag");

    // The AES-256 cases of McGrew and Viega's GCM paper, as used by NIST's CAVP.
    const QByteArray key = hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const QByteArray nonce = hex("cafebabefacedbaddecaf888");
    const QByteArray plaintext = hex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b391aafd255");
    const QByteArray ciphertext = hex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662898015ad");
    QTest::newRow("case 13: empty") << QByteArray(32, 0) << QByteArray(12, 0) << QByteArray() << QByteArray()
                                    << QByteArray() << hex("530f8afbc74536b9a963b4f1c4cb738b");
    QTest::newRow("case 14: one block") << QByteArray(32, 0) << QByteArray(12, 0) << QByteArray(16, 0) << QByteArray()
                                        << hex("cea7403d4d606b6e074ec5d3baf39d18") << hex("d0d1c8a799996bf0265b98b5d48ab919");
    QTest::newRow("case 15: four blocks") << key << nonce << plaintext << QByteArray() << ciphertext
                                          << hex("b094dac5d93471bdec1a502270e3cc6c");
    QTest::newRow("case 16: with data") << key << nonce << plaintext.left(60) << hex("feedfacedeadbeeffeedfacedeadbeefabaddad2")
                                        << ciphertext.left(60) << hex("76fc6ece0f4e1768cddf8853bb2d551b");
}

void TestCrypto::gcmKnownAnswers()
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

void TestCrypto::gcmRefusesTampering_data()
{
    QTest::addColumn<int>("flip");   // byte to change; -1: none
    QTest::addColumn<bool>("otherData");
    QTest::addColumn<int>("length"); // truncate to; -1: keep

    QTest::newRow("nonce byte")       << 0  << false << -1;
    QTest::newRow("ciphertext byte")  << 12 << false << -1;
    QTest::newRow("last tag byte")    << 12 + 5 + 15 << false << -1;
    QTest::newRow("other data")       << -1 << true  << -1;
    QTest::newRow("tag cut short")    << -1 << false << 12 + 5 + 15;
    QTest::newRow("shorter than tag") << -1 << false << 20;
    QTest::newRow("empty")            << -1 << false << 0;
}

void TestCrypto::gcmRefusesTampering()
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

void TestCrypto::ecdhAgreesBothWays()
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

void TestCrypto::ecdhRefusesBadPoints_data()
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

void TestCrypto::ecdhRefusesBadPoints()
{
    QFETCH(QByteArray, point);
    QVERIFY_THROWS_EXCEPTION(CryptoError, (void)P256PrivateKey().agree(point));
    QVERIFY_THROWS_EXCEPTION(CryptoError, P256PrivateKey::checkPoint(point));
}

QTEST_GUILESS_MAIN(TestCrypto)
#include "TestCrypto.moc"
