#include "AwaitTask.h"
#include "services/CloudClient.h"
#include "DataCases.h"
#include "FakeServer.h"
#include "Outcome.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

const CloudSession session {u"access-1"_qs, u"refresh-1"_qs, std::nullopt, {u"user-1"_qs, std::nullopt}};
const QByteArray sessionJson = R"({"access_token":"access-2","refresh_token":"refresh-2","expires_at":9,"user":{"id":"user-1"}})";
const QString uuid = u"123e4567-e89b-12d3-a456-426614174000"_qs;

QJsonObject objectOf(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).object();
}

QByteArray text(const QJsonObject &row, QStringView key)
{
    return row.value(key).toString().toUtf8();
}

} // namespace

class TestCloudClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void cleanup()
    {
        m_client.reset();
        m_server.reset();
    }

    void statusMapping_data() { datacases::addRows(u"cloudclient.json"_qs, u"statusMapping"_qs); }

    void statusMapping()
    {
        QFETCH(QJsonObject, row);
        answerWith(row.value(u"status").toInt(), text(row, u"body"));
        QCOMPARE(outcome(run(row.value(u"operation").toString())), row.value(u"expected").toString());
    }

    void requestsAreBuiltExactly_data() { datacases::addRows(u"cloudclient.json"_qs, u"requests"_qs); }

    // Each header is compared as present with its value, or absent (null).
    void requestsAreBuiltExactly()
    {
        QFETCH(QJsonObject, row);
        const QString operation = row.value(u"operation").toString();
        answerWith(200, text(row, u"answer"));
        QCOMPARE(outcome(run(operation)), u"ok"_qs);

        const FakeServer::Request &sent = m_server->requests().last();
        QCOMPARE(sent.method, text(row, u"method"));
        QCOMPARE(sent.target, text(row, u"target"));
        QCOMPARE(sent.header("content-type"), QByteArray("application/json"));
        for (const char *header : {"authorization", "apikey", "x-vorno-owner"}) {
            const QJsonValue expected = row.value(header == QByteArrayView("x-vorno-owner") ? u"owner"_qs : QString::fromLatin1(header));
            QCOMPARE(sent.hasHeader(header), !expected.isNull());
            QCOMPARE(sent.header(header), expected.toString().toUtf8());
        }
        QCOMPARE(sent.hasHeader("origin"), operation == u"file");
        if (operation == u"file")
            QCOMPARE(sent.header("origin"), m_server->origin().toString().toUtf8());
        // A JSON object is compared as such; a string is the exact bytes.
        if (row.value(u"body").isObject())
            QCOMPARE(objectOf(sent.body), row.value(u"body").toObject());
        else
            QCOMPARE(sent.body, text(row, u"body"));
    }

    void configIsCachedOnlyWhenValid_data() { datacases::addRows(u"cloudclient.json"_qs, u"config"_qs); }

    void configIsCachedOnlyWhenValid();
    void identityChecks();

    void fileRequestAllowList_data() { datacases::addRows(u"cloudclient.json"_qs, u"fileRequestAllowList"_qs); }

    void fileRequestAllowList()
    {
        QFETCH(QJsonObject, row);
        const QString path = row.value(u"path").toString();
        const QString method = row.value(u"method").toString();
        const bool allowed = row.value(u"allowed").toBool();

        answerWith(200, "[]");
        QCOMPARE(outcome(m_client->fileRequest(path, method, std::nullopt, session)), allowed ? u"ok"_qs : u"invalid"_qs);
        QCOMPARE(m_server->requests().size(), allowed ? 1 : 0);
        if (allowed) {
            QCOMPARE(m_server->requests().first().target, path.toUtf8());
            QCOMPARE(m_server->requests().first().method, method.toUtf8());
        }
    }

    void fileRequestErrors_data() { datacases::addRows(u"cloudclient.json"_qs, u"fileRequestErrors"_qs); }

    void fileRequestErrors()
    {
        QFETCH(QJsonObject, row);
        const QByteArray body = text(row, u"body");
        const QString expected = row.value(u"expected").toString();

        answerWith(row.value(u"status").toInt(), body);
        QCOMPARE(outcome(m_client->fileRequest(u"/api/native/files"_qs, u"GET"_qs, std::nullopt, session)), expected);
        if (expected == u"ok")
            QCOMPARE(awaitTask(m_client->fileRequest(u"/api/native/files"_qs, u"GET"_qs, std::nullopt, session)), body);
    }

    void timeouts_data() { datacases::addTable(u"cloudclient.json"_qs, u"timeouts"_qs); }

    void timeouts();
    void hostileAnswers_data();

    void hostileAnswers()
    {
        QFETCH(QString, operation);
        QFETCH(FakeServer::Reply, reply);
        QFETCH(QString, expected);

        const QByteArray config = m_config;
        m_server->setHandler([config, reply](const FakeServer::Request &request) {
            if (request.path() == "/api/native/config")
                return FakeServer::json(200, config);
            return reply;
        });
        QCOMPARE(outcome(run(operation)), expected);
    }

private:
    [[nodiscard]] QCoro::Task<void> run(const QString &operation)
    {
        CloudClient *client = m_client.get();
        if (operation == u"config")
            co_await client->config();
        else if (operation == u"exchange native")
            co_await client->exchange(u"vm1_code"_qs, u"verifier-1"_qs);
        else if (operation == u"exchange pkce")
            co_await client->exchange(u"code-1"_qs, u"verifier-1"_qs);
        else if (operation == u"refresh")
            co_await client->refresh(session);
        else if (operation == u"owner")
            co_await client->owner(session);
        else if (operation == u"save")
            co_await client->save(PendingWork {u"ID-1"_qs, u"user-1"_qs, u"note"_qs, u"2026-01-02"_qs}, session);
        else if (operation == u"revoke")
            co_await client->revoke(session);
        else if (operation == u"encouragement")
            co_await client->encouragement(session);
        else if (operation == u"claim")
            co_await client->claimEncouragement(session);
        else if (operation == u"file")
            co_await client->fileRequest(u"/api/first-drop/preflight/uploads/"_qs + uuid, u"DELETE"_qs, std::nullopt, session);
        else
            throw std::logic_error("unknown operation");
    }

    // Answers the configuration and `status`/`body` for every other request.

    void answerWith(int status, const QByteArray &body)
    {
        const QByteArray config = m_config;
        m_server->setHandler([config, status, body](const FakeServer::Request &request) {
            if (request.path() == "/api/native/config")
                return FakeServer::json(200, config);
            return FakeServer::json(status, body);
        });
    }

    std::unique_ptr<FakeServer> m_server;
    std::unique_ptr<CloudClient> m_client;
    QByteArray m_config;
};

void TestCloudClient::init()
{
    m_server = std::make_unique<FakeServer>();
    CloudClientOptions options = FakeServer::clientOptions();
    options.requestTimeout = 5s;
    options.fileTimeout = 5s;
    m_client = std::make_unique<CloudClient>(m_server->origin(), options);
    m_config = R"({"url":")" + m_server->origin().toString().toUtf8() + R"(/storage","publishableKey":"pk-1"})";
}

void TestCloudClient::configIsCachedOnlyWhenValid()
{
    QFETCH(QJsonObject, row);
    const QByteArray url = text(row, u"url");
    const QString expected = row.value(u"expected").toString();

    const QByteArray config = R"({"url":")" + url + R"(","publishableKey":"pk"})";
    m_server->setReplies({FakeServer::json(200, config), FakeServer::json(200, config), FakeServer::json(200, config)});
    QCOMPARE(outcome(m_client->config()), expected);
    QCOMPARE(outcome(m_client->config()), expected);
    QCOMPARE(m_server->requests().size(), expected == u"ok" ? 1 : 2);
    if (expected == u"ok") {
        // The cached value is handed out intact, as often as asked.
        for (int i = 0; i < 3; ++i)
            QCOMPARE(awaitTask(m_client->config()).url, QUrl(QString::fromUtf8(url)));
    }
}

void TestCloudClient::identityChecks()
{
    const QByteArray otherSession = R"({"access_token":"a","refresh_token":"r","user":{"id":"user-2"}})";
    answerWith(200, otherSession);
    QCOMPARE(outcome(m_client->refresh(session)), u"authentication"_qs);

    answerWith(200, R"({"ownerId":"user-2"})");
    QCOMPARE(outcome(m_client->owner(session)), u"authentication"_qs);

    answerWith(200, {});
    const qsizetype before = m_server->requests().size();
    QCOMPARE(outcome(m_client->save(PendingWork {u"ID"_qs, u"user-2"_qs, u"note"_qs, u"2026-01-02"_qs}, session)),
             u"authentication"_qs);
    QCOMPARE(m_server->requests().size(), before);
}

void TestCloudClient::timeouts()
{
    QFETCH(int, requestMs);
    QFETCH(int, fileMs);
    QFETCH(QString, operation);
    QFETCH(bool, stall);
    QFETCH(int, trickleMs);
    QFETCH(QString, expected);

    CloudClientOptions options = FakeServer::clientOptions();
    options.requestTimeout = std::chrono::milliseconds(requestMs);
    options.fileTimeout = std::chrono::milliseconds(fileMs);
    m_client = std::make_unique<CloudClient>(m_server->origin(), options);
    // 30 bytes at 100 ms: three seconds in all, never silent for long.
    const QByteArray body = R"({"ownerId":"user-1"}         )";
    m_server->setHandler([stall, trickleMs, body](const FakeServer::Request &) {
        FakeServer::Reply reply {200, body, {}, stall};
        reply.trickle = std::chrono::milliseconds(trickleMs);
        return reply;
    });
    QCOMPARE(outcome(run(operation)), expected);
}

void TestCloudClient::hostileAnswers_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<FakeServer::Reply>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty 200")          << u"encouragement"_qs << FakeServer::json(200, "")        << u"decoding"_qs;
    QTest::newRow("huge body")          << u"owner"_qs   << FakeServer::json(200, QByteArray(9 * 1024 * 1024, ' ')) << u"tooLarge"_qs;
    QTest::newRow("cut mid-body")       << u"owner"_qs   << FakeServer::Reply {200, R"({"ownerId":"user-1"})", {}, false, 5} << u"network"_qs;
    QTest::newRow("absurd header")      << u"owner"_qs   << FakeServer::Reply {200, R"({"ownerId":"user-1"})", {{"X-Junk", QByteArray(60000, 'j')}}} << u"ok"_qs;
    QList<std::pair<QByteArray, QByteArray>> many;
    for (int i = 0; i < 90; ++i)
        many.append({"X-Junk-" + QByteArray::number(i), QByteArray(1000, 'j')});
    QTest::newRow("90 kB of headers")        << u"owner"_qs   << FakeServer::Reply {200, R"({"ownerId":"user-1"})", many} << u"tooLarge"_qs;
}

QTEST_GUILESS_MAIN(TestCloudClient)
#include "TestCloudClient.moc"
