#include "AwaitTask.h"
#include "CloudClient.h"
#include "CloudError.h"
#include "DecodingError.h"
#include "FakeServer.h"
#include "Outcome.h"
#include "FileCollectionError.h"
#include "TestCertificates.h"
#include "TransportError.h"

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

} // namespace

class TestCloudClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void statusMapping_data();
    void statusMapping();
    void requestsAreBuiltExactly_data();
    void requestsAreBuiltExactly();
    void configIsCachedOnlyWhenValid_data();
    void configIsCachedOnlyWhenValid();
    void identityChecks();
    void fileRequestAllowList_data();
    void fileRequestAllowList();
    void fileRequestErrors_data();
    void fileRequestErrors();
    void redirectsAreNotFollowed();
    void cookiesAreNeitherStoredNorSent();
    void timeouts_data();
    void timeouts();
    void controlCharactersNeverReachAHeader();
    void hostileAnswers_data();
    void hostileAnswers();

private:
    [[nodiscard]] QCoro::Task<void> run(const QString &operation);
    // Answers the configuration and `status`/`body` for every other request.
    void answerWith(int status, const QByteArray &body);

    std::unique_ptr<FakeServer> m_server;
    std::unique_ptr<CloudClient> m_client;
    QByteArray m_config;
};

void TestCloudClient::init()
{
    m_server = std::make_unique<FakeServer>();
    CloudClientOptions options;
    options.requestTimeout = 5s;
    options.fileTimeout = 5s;
    options.extraAuthorities = {TestCertificates::instance().authority};
    m_client = std::make_unique<CloudClient>(m_server->origin(), options);
    m_config = R"({"url":")" + m_server->origin().toString().toUtf8() + R"(/storage","publishableKey":"pk-1"})";
}

void TestCloudClient::cleanup()
{
    m_client.reset();
    m_server.reset();
}

void TestCloudClient::answerWith(int status, const QByteArray &body)
{
    const QByteArray config = m_config;
    m_server->setHandler([config, status, body](const FakeServer::Request &request) {
        if (request.path() == "/api/native/config")
            return FakeServer::json(200, config);
        return FakeServer::json(status, body);
    });
}

QCoro::Task<void> TestCloudClient::run(const QString &operation)
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

void TestCloudClient::statusMapping_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    const QByteArray owner = R"({"ownerId":"user-1"})";
    QTest::newRow("owner 200")            << u"owner"_qs   << 200 << owner       << u"ok"_qs;
    QTest::newRow("owner 299")            << u"owner"_qs   << 299 << owner       << u"ok"_qs;
    QTest::newRow("owner 401")            << u"owner"_qs   << 401 << owner       << u"authentication"_qs;
    QTest::newRow("owner 403")            << u"owner"_qs   << 403 << owner       << u"authentication"_qs;
    QTest::newRow("owner 400")            << u"owner"_qs   << 400 << owner       << u"unavailable"_qs;
    QTest::newRow("owner 409")            << u"owner"_qs   << 409 << owner       << u"changed"_qs;
    QTest::newRow("owner 302")            << u"owner"_qs   << 302 << owner       << u"unavailable"_qs;
    QTest::newRow("owner 500")            << u"owner"_qs   << 500 << owner       << u"unavailable"_qs;
    QTest::newRow("owner 199")            << u"owner"_qs   << 199 << owner       << u"unavailable"_qs;
    QTest::newRow("refresh 200")          << u"refresh"_qs << 200 << sessionJson << u"ok"_qs;
    QTest::newRow("refresh 400")          << u"refresh"_qs << 400 << sessionJson << u"authentication"_qs;
    QTest::newRow("pkce 400")             << u"exchange pkce"_qs << 400 << sessionJson << u"authentication"_qs;
    QTest::newRow("native exchange 400")  << u"exchange native"_qs << 400 << sessionJson << u"unavailable"_qs;
    QTest::newRow("refresh 409")          << u"refresh"_qs << 409 << sessionJson << u"changed"_qs;
    QTest::newRow("refresh 503")          << u"refresh"_qs << 503 << sessionJson << u"unavailable"_qs;
    QTest::newRow("save 201, any body")   << u"save"_qs    << 201 << QByteArray("<html>") << u"ok"_qs;
    QTest::newRow("save 400")             << u"save"_qs    << 400 << QByteArray()  << u"unavailable"_qs;
    QTest::newRow("save 409")             << u"save"_qs    << 409 << QByteArray()  << u"changed"_qs;
    QTest::newRow("revoke 204")           << u"revoke"_qs  << 204 << QByteArray()  << u"ok"_qs;
    QTest::newRow("revoke 401")           << u"revoke"_qs  << 401 << QByteArray()  << u"authentication"_qs;
}

void TestCloudClient::statusMapping()
{
    QFETCH(QString, operation);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);

    answerWith(status, body);
    QCOMPARE(outcome(run(operation)), expected);
}

void TestCloudClient::requestsAreBuiltExactly_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QByteArray>("authorization"); // null: must be absent
    QTest::addColumn<QByteArray>("apikey");        // null: must be absent
    QTest::addColumn<QByteArray>("owner");         // x-vorno-owner; null: must be absent
    QTest::addColumn<QByteArray>("body");          // exact bytes, or a JSON object compared as such

    const QByteArray bearer = "Bearer access-1";
    const QByteArray state = R"({"ownerId":"user-1","available":true,"pro":true,"preferences":{"enabled":true,"mac":true}})";
    QTest::newRow("config")          << u"config"_qs          << QByteArray() << QByteArray("GET")  << QByteArray("/api/native/config")                   << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("exchange native") << u"exchange native"_qs << sessionJson  << QByteArray("POST") << QByteArray("/api/native/exchange")                 << QByteArray() << QByteArray() << QByteArray() << QByteArray(R"({"code":"vm1_code","verifier":"verifier-1"})");
    QTest::newRow("exchange pkce")   << u"exchange pkce"_qs   << sessionJson  << QByteArray("POST") << QByteArray("/storage/auth/v1/token?grant_type=pkce") << QByteArray() << QByteArray("pk-1") << QByteArray() << QByteArray(R"({"auth_code":"code-1","code_verifier":"verifier-1"})");
    QTest::newRow("refresh")         << u"refresh"_qs         << sessionJson  << QByteArray("POST") << QByteArray("/storage/auth/v1/token?grant_type=refresh_token") << QByteArray() << QByteArray("pk-1") << QByteArray() << QByteArray(R"({"refresh_token":"refresh-1"})");
    QTest::newRow("owner")           << u"owner"_qs           << QByteArray(R"({"ownerId":"user-1"})") << QByteArray("GET") << QByteArray("/api/native/session") << bearer << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("save")            << u"save"_qs            << QByteArray() << QByteArray("POST") << QByteArray("/api/captures")                         << bearer << QByteArray() << QByteArray() << QByteArray(R"({"id":"ID-1","ownerId":"user-1","text":"note","category":"note","occurredOn":"2026-01-02","projectSlug":null})");
    QTest::newRow("revoke")          << u"revoke"_qs          << QByteArray() << QByteArray("POST") << QByteArray("/storage/auth/v1/logout?scope=local")  << bearer << QByteArray("pk-1") << QByteArray() << QByteArray();
    QTest::newRow("encouragement")   << u"encouragement"_qs   << state        << QByteArray("GET")  << QByteArray("/api/encouragement")                    << bearer << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("claim")           << u"claim"_qs           << QByteArray("{}") << QByteArray("POST") << QByteArray("/api/encouragement")                << bearer << QByteArray() << QByteArray("user-1") << QByteArray(R"({"channel":"mac"})");
    QTest::newRow("file request")    << u"file"_qs            << QByteArray() << QByteArray("DELETE") << QByteArray("/api/first-drop/preflight/uploads/") + uuid.toLatin1() << bearer << QByteArray() << QByteArray("user-1") << QByteArray();
}

void TestCloudClient::requestsAreBuiltExactly()
{
    QFETCH(QString, operation);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, target);
    QFETCH(QByteArray, authorization);
    QFETCH(QByteArray, apikey);
    QFETCH(QByteArray, owner);
    QFETCH(QByteArray, body);

    answerWith(200, answer);
    QCOMPARE(outcome(run(operation)), u"ok"_qs);

    const FakeServer::Request &sent = m_server->requests().last();
    QCOMPARE(sent.method, method);
    QCOMPARE(sent.target, target);
    QCOMPARE(sent.header("content-type"), QByteArray("application/json"));
    QCOMPARE(sent.header("authorization"), authorization);
    QCOMPARE(sent.hasHeader("authorization"), !authorization.isNull());
    QCOMPARE(sent.header("apikey"), apikey);
    QCOMPARE(sent.hasHeader("apikey"), !apikey.isNull());
    QCOMPARE(sent.header("x-vorno-owner"), owner);
    QCOMPARE(sent.hasHeader("x-vorno-owner"), !owner.isNull());
    QCOMPARE(sent.hasHeader("origin"), operation == u"file");
    if (operation == u"file")
        QCOMPARE(sent.header("origin"), m_server->origin().toString().toUtf8());
    if (body.startsWith('{') && operation != u"claim" && operation != u"save")
        QCOMPARE(objectOf(sent.body), objectOf(body));
    else
        QCOMPARE(sent.body, body);
}

void TestCloudClient::configIsCachedOnlyWhenValid_data()
{
    QTest::addColumn<QByteArray>("url");
    QTest::addColumn<QString>("expected");

    QTest::newRow("https")        << QByteArray("https://project.example")            << u"ok"_qs;
    QTest::newRow("https, path")  << QByteArray("https://project.example/base/")      << u"ok"_qs;
    QTest::newRow("http")         << QByteArray("http://project.example")             << u"invalid"_qs;
    QTest::newRow("HTTPS")        << QByteArray("HTTPS://project.example")            << u"invalid"_qs;
    QTest::newRow("query")        << QByteArray("https://project.example/?a=b")       << u"invalid"_qs;
    QTest::newRow("empty query")  << QByteArray("https://project.example/?")          << u"invalid"_qs;
    QTest::newRow("fragment")     << QByteArray("https://project.example/#x")         << u"invalid"_qs;
    QTest::newRow("user")         << QByteArray("https://me@project.example")         << u"invalid"_qs;
    QTest::newRow("no host")      << QByteArray("https:///path")                      << u"invalid"_qs;
    QTest::newRow("not a URL")    << QByteArray("not a url")                          << u"decoding"_qs;
}

void TestCloudClient::configIsCachedOnlyWhenValid()
{
    QFETCH(QByteArray, url);
    QFETCH(QString, expected);

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

void TestCloudClient::fileRequestAllowList_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("method");
    QTest::addColumn<bool>("allowed");

    const QString preflight = u"/api/first-drop/preflight/uploads/"_qs;
    QTest::newRow("files GET")              << u"/api/native/files"_qs                  << u"GET"_qs    << true;
    QTest::newRow("files with query")       << u"/api/native/files?locale=de"_qs         << u"GET"_qs    << true;
    QTest::newRow("first drop POST")        << u"/api/first-drop"_qs                    << u"POST"_qs   << true;
    QTest::newRow("preflight uploads")      << u"/api/first-drop/preflight/uploads"_qs  << u"POST"_qs   << true;
    QTest::newRow("imports")                << u"/api/imports"_qs                       << u"POST"_qs   << true;
    QTest::newRow("imports complete")       << u"/api/imports/complete"_qs              << u"POST"_qs   << true;
    QTest::newRow("imports process")        << u"/api/imports/process"_qs               << u"POST"_qs   << true;
    QTest::newRow("preflight UUID")         << preflight + uuid                         << u"DELETE"_qs << true;
    QTest::newRow("preflight UUID upper")   << preflight + uuid.toUpper()               << u"DELETE"_qs << true;
    QTest::newRow("PUT")                    << u"/api/native/files"_qs                  << u"PUT"_qs    << false;
    QTest::newRow("lower-case get")         << u"/api/native/files"_qs                  << u"get"_qs    << false;
    QTest::newRow("not a UUID")             << preflight + u"not-a-uuid"_qs             << u"DELETE"_qs << false;
    QTest::newRow("UUID and more")          << preflight + uuid + u"/x"_qs              << u"DELETE"_qs << false;
    QTest::newRow("UUID without hyphens")   << preflight + QString(uuid).remove(u'-')            << u"DELETE"_qs << false;
    QTest::newRow("empty suffix")           << preflight                                << u"DELETE"_qs << false;
    QTest::newRow("other path")             << u"/api/native/session"_qs                << u"GET"_qs    << false;
    QTest::newRow("trailing slash")         << u"/api/native/files/"_qs                 << u"GET"_qs    << false;
    QTest::newRow("dot segments")           << u"/api/native/files/../../captures"_qs   << u"GET"_qs    << false;
    QTest::newRow("relative")               << u"api/native/files"_qs                   << u"GET"_qs    << false;
    QTest::newRow("absolute elsewhere")     << u"https://evil.example/api/native/files"_qs << u"GET"_qs << false;
    QTest::newRow("network path")           << u"//evil.example/api/native/files"_qs    << u"GET"_qs    << false;
    QTest::newRow("scheme only")            << u"javascript:/api/native/files"_qs       << u"GET"_qs    << false;
    QTest::newRow("fragment")               << u"/api/native/files#x"_qs                << u"GET"_qs    << false;
    QTest::newRow("space")                  << u"/api/native/files x"_qs                << u"GET"_qs    << false;
    QTest::newRow("empty")                  << QString()                               << u"GET"_qs    << false;
}

void TestCloudClient::fileRequestAllowList()
{
    QFETCH(QString, path);
    QFETCH(QString, method);
    QFETCH(bool, allowed);

    answerWith(200, "[]");
    QCOMPARE(outcome(m_client->fileRequest(path, method, std::nullopt, session)), allowed ? u"ok"_qs : u"invalid"_qs);
    QCOMPARE(m_server->requests().size(), allowed ? 1 : 0);
    if (allowed) {
        QCOMPARE(m_server->requests().first().target, path.toUtf8());
        QCOMPARE(m_server->requests().first().method, method.toUtf8());
    }
}

void TestCloudClient::fileRequestErrors_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("200 bytes back")   << 200 << QByteArray("anything")                            << u"ok"_qs;
    QTest::newRow("401")              << 401 << QByteArray(R"({"error":"x"})")                    << u"authentication"_qs;
    QTest::newRow("403 with code")    << 403 << QByteArray(R"({"error":"forbidden"})")            << u"server:forbidden"_qs;
    QTest::newRow("409 with code")    << 409 << QByteArray(R"({"error":"upload_not_complete"})")  << u"server:upload_not_complete"_qs;
    QTest::newRow("422 with code")    << 422 << QByteArray(R"({"error":"subscription_required"})") << u"server:subscription_required"_qs;
    QTest::newRow("500 HTML")         << 500 << QByteArray("<html>oops</html>")                   << u"server:cloud_unavailable"_qs;
    QTest::newRow("400 no code")      << 400 << QByteArray(R"({"message":"x"})")                  << u"server:cloud_unavailable"_qs;
    QTest::newRow("400 null code")    << 400 << QByteArray(R"({"error":null})")                   << u"server:cloud_unavailable"_qs;
    QTest::newRow("400 numeric code") << 400 << QByteArray(R"({"error":7})")                      << u"server:cloud_unavailable"_qs;
    QTest::newRow("302")              << 302 << QByteArray()                                      << u"server:cloud_unavailable"_qs;
}

void TestCloudClient::fileRequestErrors()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);

    answerWith(status, body);
    QCOMPARE(outcome(m_client->fileRequest(u"/api/native/files"_qs, u"GET"_qs, std::nullopt, session)), expected);
    if (expected == u"ok")
        QCOMPARE(awaitTask(m_client->fileRequest(u"/api/native/files"_qs, u"GET"_qs, std::nullopt, session)), body);
}

void TestCloudClient::redirectsAreNotFollowed()
{
    m_server->setHandler([](const FakeServer::Request &request) {
        if (request.path() == "/api/native/session")
            return FakeServer::Reply {302, {}, {{"Location", "/api/native/elsewhere"}}};
        return FakeServer::json(200, R"({"ownerId":"user-1"})");
    });
    QCOMPARE(outcome(m_client->owner(session)), u"unavailable"_qs);
    QCOMPARE(m_server->requests().size(), 1);
}

void TestCloudClient::cookiesAreNeitherStoredNorSent()
{
    m_server->setHandler([](const FakeServer::Request &) {
        FakeServer::Reply reply = FakeServer::json(200, R"({"ownerId":"user-1"})");
        reply.headers.append({QByteArray("Set-Cookie"), QByteArray("tracker=1; Path=/")});
        return reply;
    });
    QCOMPARE(outcome(m_client->owner(session)), u"ok"_qs);
    QCOMPARE(outcome(m_client->owner(session)), u"ok"_qs);
    QCOMPARE(m_server->requests().size(), 2);
    for (const FakeServer::Request &request : m_server->requests())
        QVERIFY(!request.hasHeader("cookie"));
}

void TestCloudClient::timeouts_data()
{
    QTest::addColumn<int>("requestMs");
    QTest::addColumn<int>("fileMs");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("stall");
    QTest::addColumn<int>("trickleMs"); // the answer's body, one byte per interval
    QTest::addColumn<QString>("expected");

    // The two limits are far apart, so each row shows which one a request obeys.
    QTest::newRow("request, silent")          << 300   << 30000 << u"owner"_qs << true  << 0   << u"timeout"_qs;
    QTest::newRow("file request, silent")     << 30000 << 300   << u"file"_qs  << true  << 0   << u"timeout"_qs;
    QTest::newRow("file request, slow")       << 300   << 30000 << u"file"_qs  << false << 100 << u"ok"_qs;
    QTest::newRow("request, trickling")       << 700   << 30000 << u"owner"_qs << false << 100 << u"timeout"_qs;
    QTest::newRow("file request, trickling")  << 30000 << 700   << u"file"_qs  << false << 100 << u"timeout"_qs;
}

void TestCloudClient::timeouts()
{
    QFETCH(int, requestMs);
    QFETCH(int, fileMs);
    QFETCH(QString, operation);
    QFETCH(bool, stall);
    QFETCH(int, trickleMs);
    QFETCH(QString, expected);

    CloudClientOptions options;
    options.requestTimeout = std::chrono::milliseconds(requestMs);
    options.fileTimeout = std::chrono::milliseconds(fileMs);
    options.extraAuthorities = {TestCertificates::instance().authority};
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

void TestCloudClient::controlCharactersNeverReachAHeader()
{
    answerWith(200, R"({"ownerId":"user-1"})");
    CloudSession injected = session;
    injected.access_token = u"tok\r\nX-Injected: yes"_qs;
    QCOMPARE(outcome(m_client->owner(injected)), u"invalid"_qs);
    injected = session;
    injected.user.id = u"user-1\x01"_qs;
    QCOMPARE(outcome(m_client->claimEncouragement(injected)), u"invalid"_qs);
    QCOMPARE(m_server->requests().size(), 0);
}

void TestCloudClient::hostileAnswers_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<FakeServer::Reply>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("malformed JSON")     << u"owner"_qs   << FakeServer::json(200, "{\"ownerId\":") << u"decoding"_qs;
    QTest::newRow("wrong type")         << u"owner"_qs   << FakeServer::json(200, R"({"ownerId":1})") << u"decoding"_qs;
    QTest::newRow("array")              << u"refresh"_qs << FakeServer::json(200, "[]")            << u"decoding"_qs;
    QTest::newRow("empty 200")          << u"encouragement"_qs << FakeServer::json(200, "")        << u"decoding"_qs;
    QTest::newRow("deep nesting")       << u"owner"_qs   << FakeServer::json(200, QByteArray(5000, '[') + QByteArray(5000, ']')) << u"decoding"_qs;
    QTest::newRow("huge body")          << u"owner"_qs   << FakeServer::json(200, QByteArray(9 * 1024 * 1024, ' ')) << u"tooLarge"_qs;
    QTest::newRow("cut mid-body")       << u"owner"_qs   << FakeServer::Reply {200, R"({"ownerId":"user-1"})", {}, false, 5} << u"network"_qs;
    QTest::newRow("absurd header")      << u"owner"_qs   << FakeServer::Reply {200, R"({"ownerId":"user-1"})", {{"X-Junk", QByteArray(60000, 'j')}}} << u"ok"_qs;
    QList<std::pair<QByteArray, QByteArray>> many;
    for (int i = 0; i < 90; ++i)
        many.append({"X-Junk-" + QByteArray::number(i), QByteArray(1000, 'j')});
    QTest::newRow("90 kB of headers")        << u"owner"_qs   << FakeServer::Reply {200, R"({"ownerId":"user-1"})", many} << u"tooLarge"_qs;
}

void TestCloudClient::hostileAnswers()
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

QTEST_GUILESS_MAIN(TestCloudClient)
#include "TestCloudClient.moc"
