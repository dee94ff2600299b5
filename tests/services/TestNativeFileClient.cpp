#include "services/CloudClient.h"
#include "core/CloudError.h"
#include "DataCases.h"
#include "FakeServer.h"
#include "services/NativeFileClient.h"
#include "Outcome.h"
#include "TestCertificates.h"
#include "services/TusAnswer.h"

#include <QTest>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

const CloudSession session {u"access-1"_qs, u"refresh-1"_qs, std::nullopt, {u"user-1"_qs, std::nullopt}};
const QString objectPath = u"user-1/source/file.pdf"_qs;

// A small TUS server good enough to script every answer around it.
struct MiniTus
{
    QByteArray stored;
    qint64 length = -1;
    int creations = 0;
    std::function<FakeServer::Reply(const FakeServer::Request &)> overrideCreate;
    std::function<FakeServer::Reply(const FakeServer::Request &)> overrideHead;
    std::function<FakeServer::Reply(const FakeServer::Request &)> overridePatch;

    FakeServer::Reply answer(const FakeServer::Request &request)
    {
        const QByteArray uploads = "/storage/v1/upload/resumable";
        if (request.method == "POST" && request.path() == uploads) {
            ++creations;
            if (overrideCreate)
                return overrideCreate(request);
            length = request.header("Upload-Length").toLongLong();
            stored.clear();
            return {201, {}, {{"Location", uploads + "/upload-1"}}};
        }
        if (request.method == "HEAD") {
            if (overrideHead)
                return overrideHead(request);
            return {200, {}, {{"Upload-Offset", QByteArray::number(stored.size())}, {"Upload-Length", QByteArray::number(length)}}};
        }
        if (request.method == "PATCH") {
            if (overridePatch)
                return overridePatch(request);
            if (request.header("Upload-Offset").toLongLong() != stored.size())
                return {409, {}, {}};
            stored += request.body;
            return {204, {}, {{"Upload-Offset", QByteArray::number(stored.size())}}};
        }
        return {404, {}, {}};
    }
};

QList<FakeServer::Request> requestsWith(const FakeServer &server, const QByteArray &method)
{
    QList<FakeServer::Request> found;
    for (const FakeServer::Request &request : server.requests()) {
        if (request.method == method)
            found.append(request);
    }
    return found;
}

const QString processPath = u"/api/imports/process"_qs;
const QString post = u"POST"_qs;
const QJsonObject processBody {{u"sourceId"_qs, u"s"_qs}};

QCoro::Task<> expectQueued(NativeFileClient *client)
{
    const QJsonObject answer = co_await client->json(processPath, post, processBody, session);
    if (answer.value(QLatin1StringView("status")).toString() != QLatin1StringView("queued"))
        throw std::runtime_error("wrong answer");
}

} // namespace

class TestNativeFileClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void cleanup()
    {
        m_client.reset();
        m_api.reset();
        m_server.reset();
    }

    void metadataHeader_data() { datacases::addTable(u"nativefileclient.json"_qs, u"metadataHeader"_qs); }

    void metadataHeader()
    {
        QFETCH(QString, bucket);
        QFETCH(QString, path);
        QFETCH(QString, type);
        QFETCH(QByteArray, expected);
        QCOMPARE(NativeFileClient::metadata(bucket, path, type), expected);
    }

    void endpoint_data() { datacases::addRows(u"uploads.json"_qs, u"endpoint"_qs); }

    void endpoint()
    {
        QFETCH(QJsonObject, row);
        const QString config = row.value(u"config").toString();
        const QString expected = row.value(u"expected").toString(); // null: refused

        const NativeFileClient client(nullptr);
        try {
            const QUrl url = client.endpoint(CloudConfig {QUrl(config), u"pk"_qs});
            QCOMPARE(url.toString(), expected);
        } catch (const CloudError &error) {
            QVERIFY2(expected.isNull(), "a valid configuration was refused");
            QCOMPARE(error.failure(), CloudFailure::invalid);
        }
    }

    void validUpload_data() { datacases::addRows(u"uploads.json"_qs, u"validUpload"_qs); }

    void validUpload()
    {
        QFETCH(QJsonObject, row);
        const QUrl endpoint(u"https://abc.storage.supabase.co/storage/v1/upload/resumable"_qs);
        QCOMPARE(TusAnswer::isUpload(QUrl(row.value(u"url").toString()), endpoint), row.value(u"valid").toBool());
    }

    void chunking_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<qint64>>("offsets"); // Upload-Offset of each PATCH

        const qint64 chunk = NativeFileClient::chunkSize;
        QTest::newRow("1 byte")       << 1                  << QList<qint64> {0};
        QTest::newRow("6 MiB")        << int(chunk)         << QList<qint64> {0};
        QTest::newRow("6 MiB + 1")    << int(chunk + 1)     << QList<qint64> {0, chunk};
        QTest::newRow("13 MiB")       << int(13 << 20)      << QList<qint64> {0, chunk, 2 * chunk};
    }

    void chunking()
    {
        QFETCH(int, size);
        QFETCH(QList<qint64>, offsets);

        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7);
        QCOMPARE(outcome(upload(bytes)), u"ok"_qs);
        QCOMPARE(m_tus->stored, bytes);

        const QList<FakeServer::Request> patches = requestsWith(*m_server, "PATCH");
        QList<qint64> sent;
        for (const FakeServer::Request &patch : patches) {
            sent.append(patch.header("Upload-Offset").toLongLong());
            QCOMPARE(patch.header("content-type"), QByteArray("application/offset+octet-stream"));
            QCOMPARE(patch.header("Tus-Resumable"), QByteArray("1.0.0"));
            QCOMPARE(patch.header("authorization"), QByteArray("Bearer access-1"));
        }
        QCOMPARE(sent, offsets);
        QCOMPARE(m_progress.last(), qint64(size));
        QCOMPARE(m_progress.size(), offsets.size());

        const QList<FakeServer::Request> creations = requestsWith(*m_server, "POST");
        QCOMPARE(creations.last().header("Upload-Length"), QByteArray::number(size));
        QCOMPARE(m_checkpoints, QList {m_server->origin().resolved(QUrl(u"/storage/v1/upload/resumable/upload-1"_qs))});
    }

    void refusedBeforeAnyRequest_data()
    {
        QTest::addColumn<QString>("bucket");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("owner");

        QTest::newRow("other user's folder") << NativeFileClient::paidBucket << u"user-2/a.pdf"_qs       << true;
        QTest::newRow("user id prefix only") << NativeFileClient::paidBucket << u"user-1a/a.pdf"_qs      << true;
        QTest::newRow("climbs out")          << NativeFileClient::paidBucket << u"user-1/../x/a.pdf"_qs  << true;
        QTest::newRow("unknown bucket")      << u"avatars"_qs                << objectPath              << true;
        QTest::newRow("owner already gone")  << NativeFileClient::paidBucket << objectPath              << false;
    }

    void refusedBeforeAnyRequest()
    {
        QFETCH(QString, bucket);
        QFETCH(QString, path);
        QFETCH(bool, owner);

        auto task = m_client->upload(QByteArray("x"), bucket, path, u"text/plain"_qs, std::nullopt, session,
                                     [](const QUrl &) {}, [](qint64) {}, [owner] { return owner; });
        QCOMPARE(outcome(std::move(task)), u"invalid"_qs);
        QCOMPARE(m_tus->creations, 0);
        QVERIFY(requestsWith(*m_server, "HEAD").isEmpty());
    }

    void creationAnswers_data() { datacases::addRows(u"uploads.json"_qs, u"creationAnswers"_qs); }

    void creationAnswers()
    {
        QFETCH(QJsonObject, row);
        const QString expected = row.value(u"expected").toString();

        FakeServer::Reply reply {row.value(u"status").toInt(), {}, {}};
        reply.hangUp = row.value(u"hangUp").toBool();
        if (const QJsonValue location = row.value(u"location"); location.isString())
            reply.headers.append({"Location", location.toString().replace(u"ORIGIN"_qs, m_server->origin().toString()).toUtf8()});
        m_tus->overrideCreate = [this, reply](const FakeServer::Request &request) {
            m_tus->length = request.header("Upload-Length").toLongLong();
            return reply;
        };
        const QString got = outcome(upload(QByteArray("hello")));
        // A creation is never sent twice: the server would hold an upload nobody knows of.
        QCOMPARE(m_tus->creations, 1);
        QCOMPARE(got, expected);
        if (expected != u"ok") {
            // Nothing asked of, and no byte sent to, an address we did not accept.
            QVERIFY(m_checkpoints.isEmpty());
            QVERIFY(requestsWith(*m_server, "HEAD").isEmpty());
            QVERIFY(requestsWith(*m_server, "PATCH").isEmpty());
        }
    }

    void offsetAnswers_data() { datacases::addRows(u"uploads.json"_qs, u"offsetAnswers"_qs); }

    void offsetAnswers()
    {
        QFETCH(QJsonObject, row);
        const int status = row.value(u"status").toInt();
        const QByteArray offset = row.value(u"offset").isString() ? row.value(u"offset").toString().toUtf8() : QByteArray();
        const QString expected = row.value(u"expected").toString();
        const int patches = row.value(u"patches").toInt();

        m_tus->overrideHead = [this, status, offset](const FakeServer::Request &) {
            FakeServer::Reply reply {status, {}, {}};
            if (!offset.isNull())
                reply.headers.append({QByteArray("Upload-Offset"), offset});
            // Whatever the answer claims, the server holds what it says it holds.
            const qint64 claimed = offset.toLongLong();
            if (claimed >= 0 && claimed <= 5)
                m_tus->stored = QByteArray("hello").left(claimed);
            return reply;
        };
        QCOMPARE(outcome(upload(QByteArray("hello"))), expected);
        QCOMPARE(requestsWith(*m_server, "PATCH").size(), patches);
        if (expected == u"ok")
            QCOMPARE(m_tus->stored, QByteArray("hello"));
    }

    void resumeAndRestart()
    {
        const QUrl saved = m_server->origin().resolved(QUrl(u"/storage/v1/upload/resumable/upload-1"_qs));
        // A saved address resumes from the server's offset without a new upload.
        m_tus->length = 10;
        m_tus->stored = "01234";
        QCOMPARE(outcome(upload(QByteArray("0123456789"), saved)), u"ok"_qs);
        QCOMPARE(m_tus->creations, 0);
        QCOMPARE(m_tus->stored, QByteArray("0123456789"));
        QCOMPARE(requestsWith(*m_server, "PATCH").first().header("Upload-Offset"), QByteArray("5"));
        QVERIFY(m_checkpoints.isEmpty());

        // An expired saved address (404 or 410) makes exactly one new upload.
        for (const int gone : {404, 410}) {
            m_tus->creations = 0;
            int heads = 0;
            m_tus->overrideHead = [&heads, gone, this](const FakeServer::Request &) -> FakeServer::Reply {
                if (heads++ == 0)
                    return {gone, {}, {}};
                return {200, {}, {{"Upload-Offset", QByteArray::number(m_tus->stored.size())}}};
            };
            QCOMPARE(outcome(upload(QByteArray("fresh"), saved)), u"ok"_qs);
            QCOMPARE(m_tus->creations, 1);
            QCOMPARE(m_tus->stored, QByteArray("fresh"));
        }

        // A 404 on an address just created is not papered over.
        m_tus->creations = 0;
        m_tus->overrideHead = [](const FakeServer::Request &) { return FakeServer::Reply {404, {}, {}}; };
        QCOMPARE(outcome(upload(QByteArray("fresh"), saved)), u"storage unavailable"_qs);
        QCOMPARE(m_tus->creations, 1);
        QCOMPARE(outcome(upload(QByteArray("fresh"))), u"storage unavailable"_qs);
        QCOMPARE(m_tus->creations, 2);

        // A 409 after a replay the server took reads the offset again and goes on.
        m_tus->overrideHead = nullptr;
        m_tus->overridePatch = [this](const FakeServer::Request &request) {
            if (request.header("Upload-Offset").toLongLong() == m_tus->stored.size())
                m_tus->stored += request.body;
            return FakeServer::Reply {409, {}, {}};
        };
        const qint64 headsBefore = requestsWith(*m_server, "HEAD").size();
        QCOMPARE(outcome(upload(QByteArray("replayed"))), u"ok"_qs);
        QCOMPARE(m_tus->stored, QByteArray("replayed"));
        QCOMPARE(requestsWith(*m_server, "HEAD").size() - headsBefore, 2);
        m_tus->overridePatch = nullptr;

        // A saved address that is not ours is refused outright.
        QCOMPARE(outcome(upload(QByteArray("x"), QUrl(u"https://evil.example/storage/v1/upload/resumable/1"_qs))),
                 u"invalid"_qs);
    }

    void ownerLostBetweenChunks()
    {
        bool owner = true;
        int patches = 0;
        const auto previousPatch = m_tus->overridePatch;
        m_tus->overridePatch = [&](const FakeServer::Request &request) {
            ++patches;
            m_tus->stored += request.body;
            owner = false; // signed out while the first chunk was on its way
            return FakeServer::Reply {204, {}, {{"Upload-Offset", QByteArray::number(m_tus->stored.size())}}};
        };
        const QByteArray bytes(NativeFileClient::chunkSize * 2, 'x');
        QCOMPARE(outcome(upload(bytes, std::nullopt, [&owner] { return owner; })), u"storage unavailable"_qs);
        QCOMPARE(patches, 1);

        // Owner lost after an answer was accepted (asked before the first request,
        // after creation, after the offset, before and after chunk one): the next
        // chunk is never sent.
        owner = true;
        int asked = 0;
        m_tus->overridePatch = previousPatch;
        QCOMPARE(outcome(upload(bytes, std::nullopt, [&] { return ++asked <= 5; })), u"authentication"_qs);
        QCOMPARE(requestsWith(*m_server, "PATCH").size(), 2); // one from each attempt
    }

    void wrongChunkAnswerEndsTheUpload()
    {
        int patches = 0;
        m_tus->overridePatch = [&patches](const FakeServer::Request &) {
            ++patches;
            return FakeServer::Reply {204, {}, {{"Upload-Offset", "0"}}}; // no progress
        };
        QCOMPARE(outcome(upload(QByteArray("hello"))), u"storage unavailable"_qs);
        QCOMPARE(patches, 1);
    }

    void checkpointFailureEndsTheUpload()
    {
        auto task = m_client->upload(
            QByteArray("hello"), NativeFileClient::paidBucket, objectPath, u"text/plain"_qs, std::nullopt, session,
            [](const QUrl &) { throw std::runtime_error("cannot persist"); }, [](qint64) {}, [] { return true; });
        QCOMPARE(outcome(std::move(task)), u"cannot persist"_qs);
        QVERIFY(requestsWith(*m_server, "HEAD").isEmpty());
        QVERIFY(requestsWith(*m_server, "PATCH").isEmpty());
    }

    void jsonAnswers_data() { datacases::addTable(u"nativefileclient.json"_qs, u"jsonAnswers"_qs); }

    void jsonAnswers();

private:
    [[nodiscard]] QCoro::Task<> upload(QByteArray bytes, std::optional<QUrl> previous = std::nullopt,
                                       NativeFileClient::StillOwner stillOwner = [] { return true; });

    std::unique_ptr<FakeServer> m_server;
    std::unique_ptr<CloudClient> m_api;
    std::unique_ptr<NativeFileClient> m_client;
    std::shared_ptr<MiniTus> m_tus;
    QList<QUrl> m_checkpoints;
    QList<qint64> m_progress;
};

void TestNativeFileClient::init()
{
    m_server = std::make_unique<FakeServer>();
    m_api = std::make_unique<CloudClient>(m_server->origin(), FakeServer::clientOptions());
    NativeFileClientOptions options;
    // The fake is the storage project and its direct host at once.
    options.projectHostSuffix = u".0.0.1"_qs;
    options.directHostSuffix = u".0.0.1"_qs;
    options.timeout = 10s;
    options.extraAuthorities = {TestCertificates::instance().authority};
    m_client = std::make_unique<NativeFileClient>(m_api.get(), options);
    m_tus = std::make_shared<MiniTus>();
    m_checkpoints.clear();
    m_progress.clear();

    const QByteArray config = R"({"url":")" + m_server->origin().toString().toUtf8() + R"(","publishableKey":"pk"})";
    auto tus = m_tus;
    m_server->setHandler([config, tus](const FakeServer::Request &request) {
        if (request.path() == "/api/native/config")
            return FakeServer::json(200, config);
        return tus->answer(request);
    });
}

QCoro::Task<> TestNativeFileClient::upload(QByteArray bytes, std::optional<QUrl> previous,
                                           NativeFileClient::StillOwner stillOwner)
{
    return m_client->upload(
        std::move(bytes), NativeFileClient::paidBucket, objectPath, u"application/pdf"_qs, std::move(previous), session,
        [this](const QUrl &url) { m_checkpoints.append(url); }, [this](qint64 offset) { m_progress.append(offset); },
        std::move(stillOwner));
}

void TestNativeFileClient::jsonAnswers()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);

    m_server->setHandler([body](const FakeServer::Request &) { return FakeServer::json(200, body); });
    QCOMPARE(outcome(expectQueued(m_client.get())), expected);
    QCOMPARE(m_server->requests().last().body, QByteArray(R"({"sourceId":"s"})"));
}

QTEST_GUILESS_MAIN(TestNativeFileClient)
#include "TestNativeFileClient.moc"
