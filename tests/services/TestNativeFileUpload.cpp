#include "AwaitTask.h"
#include "CloudClient.h"
#include "NativeFileClient.h"
#include "StandIn.h"
#include "Text.h"
#include "TransportError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTest>

using namespace vorno;
using namespace std::chrono_literals;

// Uploads against the stand-in's real @tus/server.
class TestNativeFileUpload : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void byteIdentical_data();
    void byteIdentical();
    void resumesAfterADroppedConnection();

private:
    [[nodiscard]] QCoro::Task<> upload(QByteArray bytes, QString objectPath, std::optional<QUrl> previous);
    [[nodiscard]] QString storedDigest(const QString &objectPath);
    [[nodiscard]] int creations();
    // The Upload-Offset of every PATCH the stand-in saw after the first `skip` requests.
    [[nodiscard]] QList<qint64> patchOffsetsSince(qsizetype skip);

    std::unique_ptr<StandIn> m_standIn;
    std::unique_ptr<CloudClient> m_api;
    std::unique_ptr<NativeFileClient> m_client;
    CloudSession m_session;
    QList<QUrl> m_checkpoints;
};

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator {quint32(size)};
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    for (qsizetype i = size / 4 * 4; i < size; ++i)
        bytes[i] = char(i);
    return bytes;
}

} // namespace

void TestNativeFileUpload::initTestCase()
{
    m_standIn = std::make_unique<StandIn>();
    QVERIFY2(m_standIn->isRunning(), qPrintable(m_standIn->error()));
    m_standIn->control(u"accounts"_qs, {{u"id"_qs, u"user-1"_qs}, {u"pro"_qs, true}});
    m_session = CloudSession::fromJson(QJsonDocument(m_standIn->control(u"sessions"_qs, {{u"userId"_qs, u"user-1"_qs}})).toJson());

    const CloudClientOptions apiOptions = m_standIn->apiOptions();
    m_api = std::make_unique<CloudClient>(m_standIn->origin(), apiOptions);
    NativeFileClientOptions options = m_standIn->fileOptions();
    m_client = std::make_unique<NativeFileClient>(m_api.get(), options);
}

void TestNativeFileUpload::cleanupTestCase()
{
    m_client.reset();
    m_api.reset();
    m_standIn.reset();
}

QCoro::Task<> TestNativeFileUpload::upload(QByteArray bytes, QString objectPath, std::optional<QUrl> previous)
{
    return m_client->upload(std::move(bytes), NativeFileClient::paidBucket, std::move(objectPath), u"text/plain"_qs,
                            std::move(previous), m_session, [this](const QUrl &url) { m_checkpoints.append(url); },
                            [](qint64) {}, [] { return true; });
}

QString TestNativeFileUpload::storedDigest(const QString &objectPath)
{
    return m_standIn->state()
        .value(u"objects"_qs)
        .toObject()
        .value(u"career-sources/"_qs + objectPath)
        .toObject()
        .value(u"sha256"_qs)
        .toString();
}

int TestNativeFileUpload::creations()
{
    int count = 0;
    for (const QJsonValue &entry : m_standIn->state().value(u"log"_qs).toArray()) {
        const QJsonObject request = entry.toObject();
        if (request.value(u"method"_qs) == u"POST"_qs && request.value(u"path"_qs) == NativeFileClient::uploadPath)
            ++count;
    }
    return count;
}

QList<qint64> TestNativeFileUpload::patchOffsetsSince(qsizetype skip)
{
    const QJsonArray log = m_standIn->state().value(u"log"_qs).toArray();
    QList<qint64> offsets;
    for (qsizetype i = skip; i < log.size(); ++i) {
        const QJsonObject request = log.at(i).toObject();
        if (request.value(u"method"_qs) == u"PATCH"_qs)
            offsets.append(qint64(request.value(u"offset"_qs).toDouble()));
    }
    return offsets;
}

void TestNativeFileUpload::byteIdentical_data()
{
    QTest::addColumn<int>("size");
    QTest::newRow("1 byte")     << 1;
    QTest::newRow("6 MiB + 1")  << int(NativeFileClient::chunkSize + 1);
}

void TestNativeFileUpload::byteIdentical()
{
    QFETCH(int, size);
    const QByteArray bytes = randomBytes(size);
    const QString path = u"user-1/identical/"_qs + QString::number(size);
    awaitTask(upload(bytes, path, std::nullopt), 120s);
    QCOMPARE(storedDigest(path), Text::sha256Hex(bytes));
}

void TestNativeFileUpload::resumesAfterADroppedConnection()
{
    const QByteArray bytes = randomBytes(14 * 1024 * 1024);
    const QString path = u"user-1/resumed/file.txt"_qs;
    m_checkpoints.clear();
    const int before = creations();
    // The connection breaks part way into the second chunk.
    m_standIn->control(u"faults"_qs, {{u"dropAfter"_qs, 2 * 1024 * 1024}});
    int uploadedBeforeDrop = 0;
    try {
        awaitTask(m_client->upload(bytes, NativeFileClient::paidBucket, path, u"text/plain"_qs, std::nullopt, m_session,
                                   [this](const QUrl &url) { m_checkpoints.append(url); },
                                   [&uploadedBeforeDrop](qint64 offset) { uploadedBeforeDrop = int(offset); },
                                   [] { return true; }),
                  120s);
        QFAIL("the upload survived a dropped connection");
    } catch (const TransportError &) {
    }
    QCOMPARE(m_checkpoints.size(), 1);
    QVERIFY(storedDigest(path).isEmpty());

    qint64 firstOffset = -1;
    const qsizetype logBefore = m_standIn->state().value(u"log"_qs).toArray().size();
    awaitTask(m_client->upload(bytes, NativeFileClient::paidBucket, path, u"text/plain"_qs, m_checkpoints.first(),
                               m_session, [](const QUrl &) { QFAIL("a new upload was created"); },
                               [&firstOffset](qint64 offset) {
                                   if (firstOffset < 0)
                                       firstOffset = offset;
                               },
                               [] { return true; }),
              120s);
    QCOMPARE(storedDigest(path), Text::sha256Hex(bytes));
    QCOMPARE(creations(), before + 1);
    // Resumed from where the server stood, not from the start: the bytes it
    // kept from the broken chunk are not sent again.
    QCOMPARE(uploadedBeforeDrop, 0);
    const QList<qint64> offsets = patchOffsetsSince(logBefore);
    QVERIFY(!offsets.isEmpty());
    QVERIFY2(offsets.first() > 0, "the resumed upload started over from byte 0");
    QCOMPARE(firstOffset, std::min<qint64>(offsets.first() + NativeFileClient::chunkSize, bytes.size()));
}

QTEST_GUILESS_MAIN(TestNativeFileUpload)
#include "TestNativeFileUpload.moc"
