#include "AwaitTask.h"
#include "services/BrowserLogin.h"
#include "services/CloudClient.h"
#include "core/CloudError.h"
#include "DataCases.h"
#include "core/DraftFile.h"
#include "services/EnclaveSessionCipher.h"
#include "FakeServer.h"
#include "FileChecks.h"
#include "core/FileError.h"
#include "core/NativeLogin.h"
#include "Outcome.h"
#include "services/PersistentCredentials.h"
#include "services/SessionCredentials.h"
#include "SoftwareKeyStore.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vorno;
using namespace filechecks;
using namespace std::chrono_literals;

namespace {

const QString scheme = u"app.vorno.desktop"_qs;
const QUrl origin(u"https://vorno.example"_qs);
const QString state = u"STATE"_qs;
const QString goodCallback = scheme + u"://auth/callback?state=STATE&code=c"_qs;
const QByteArray session = R"({"access_token":"a","refresh_token":"r","user":{"id":"u"}})";
const CloudSession account {u"access-1"_qs, u"refresh-1"_qs, std::nullopt, {u"user-1"_qs, std::nullopt}};

// Puts what `defect` names at `path` in place of the file written there.
void spoil(const QString &path, const QString &defect, const QString &aside)
{
    const QByteArray name = QFile::encodeName(path);
    if (defect == u"mode") {
        QCOMPARE(::chmod(name.constData(), 0644), 0);
    } else if (defect == u"owner") {
        if (::geteuid() != 0)
            QSKIP("only root can give a file to another user");
        QCOMPARE(::chown(name.constData(), 65534, 65534), 0);
    } else if (defect == u"link") {
        QCOMPARE(::link(name.constData(), QFile::encodeName(aside).constData()), 0);
    } else if (defect == u"size") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.resize(65537));
    } else if (defect == u"directory") {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
    } else if (defect == u"symlink") {
        QVERIFY(QFile::rename(path, aside));
        QVERIFY(QFile::link(aside, path));
    } else if (defect == u"fifo") {
        QVERIFY(QFile::remove(path));
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    } else {
        QFAIL("unknown defect");
    }
}

// How opening a sealed session ended.
bool opens(const EnclaveSessionCipher &cipher, const QByteArray &sealed, const QUrl &at)
{
    try {
        return cipher.open(sealed, at) == session;
    } catch (const std::exception &) {
        return false;
    }
}

} // namespace

// Every way in which the application must say no, one named row each.
class TestRefusals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        QVERIFY(m_home->isValid());
    }

    void cleanup() { m_home.reset(); }

    void refusals_data() { datacases::addTable(u"refusals.json"_qs, u"refusals"_qs); }

    void refusals()
    {
        QFETCH(QString, kind);
        QFETCH(QString, input);

        if (kind == u"callback") {
            callback(input);
        } else if (kind == u"code") {
            QVERIFY_THROWS_EXCEPTION(CloudError, (void)NativeLogin(u"verifier"_qs, state).code(input, scheme));
        } else if (kind == u"replay") {
            replay(input);
        } else if (kind == u"unstarted") {
            BrowserLogin browser(600s, [](const QUrl &) { return true; }, scheme);
            QVERIFY(!browser.receive(input));
            QVERIFY(!browser.isPending());
        } else if (kind == u"http") {
            http(input);
        } else if (kind == u"session file") {
            sessionFile(input);
        } else if (kind == u"draft file") {
            draftFile(input);
        } else if (kind == u"draft entry" || kind == u"draft directory") {
            draftEntry(input, kind == u"draft directory");
        } else if (kind == u"sealed") {
            sealed(input);
        } else {
            QFAIL("unknown kind");
        }
    }

private:
    // Refused while a login waits, which goes on waiting for the real one.
    void callback(const QString &url)
    {
        BrowserLogin browser(600s, [](const QUrl &) { return true; }, scheme);
        auto started = browser.start(origin, NativeLogin(u"verifier"_qs, state));
        QVERIFY(!browser.receive(url));
        QVERIFY(browser.isPending());
        QVERIFY(browser.receive(goodCallback));
        QCOMPARE(awaitTask(std::move(started), 20s), goodCallback);
    }

    // A callback once used is refused, also by the next login.
    void replay(const QString &url)
    {
        BrowserLogin browser(600s, [](const QUrl &) { return true; }, scheme);
        auto first = browser.start(origin, NativeLogin(u"verifier"_qs, state));
        QVERIFY(browser.receive(url));
        QCOMPARE(awaitTask(std::move(first), 20s), url);
        QVERIFY(!browser.receive(url));
        auto second = browser.start(origin, NativeLogin());
        QVERIFY(!browser.receive(url));
        QVERIFY(browser.isPending());
    }

    void http(const QString &input)
    {
        FakeServer server;
        CloudClient client(server.origin(), FakeServer::clientOptions());
        server.setHandler([input](const FakeServer::Request &request) {
            if (input == u"redirect" && request.path() == "/api/native/session")
                return FakeServer::Reply {302, {}, {{"Location", "/api/native/elsewhere"}}};
            FakeServer::Reply reply = FakeServer::json(200, R"({"ownerId":"user-1"})");
            if (input == u"cookie")
                reply.headers.append({QByteArray("Set-Cookie"), QByteArray("tracker=1; Path=/")});
            return reply;
        });
        const auto outcome = [&client](const CloudSession &with) {
            try {
                awaitTask(client.owner(with), 20s);
                return u"ok"_qs;
            } catch (...) {
                return testsupport::outcomeOf(std::current_exception());
            }
        };
        if (input == u"redirect") {
            QCOMPARE(outcome(account), u"unavailable"_qs);
            QCOMPARE(server.requests().size(), 1);
        } else if (input == u"cookie") {
            QCOMPARE(outcome(account), u"ok"_qs);
            QCOMPARE(outcome(account), u"ok"_qs);
            QCOMPARE(server.requests().size(), 2);
            QVERIFY(!server.requests().last().hasHeader("cookie"));
        } else {
            CloudSession injected = account;
            injected.access_token = input == u"crlf" ? u"tok\r\nX-Injected: yes"_qs : u"tok\x01"_qs;
            QCOMPARE(outcome(injected), u"invalid"_qs);
            QCOMPARE(server.requests().size(), 0);
        }
    }

    // A session file the vault cannot vouch for is neither read, replaced nor removed.
    void sessionFile(const QString &defect)
    {
        PersistentCredentials vault(origin, m_home->path() + u"/sessions"_qs, nullptr,
                                    std::make_unique<EnclaveSessionCipher>(std::make_shared<SoftwareKeyStore>()));
        vault.write(session, u"session"_qs);
        const QString path = vault.directory() + u"/session.v1"_qs;
        spoil(path, defect, m_home->path() + u"/aside"_qs);
        QVERIFY(refusedAsStorage([&] { (void)vault.read(u"session"_qs); }));
        QVERIFY(refusedAsStorage([&] { vault.write(std::nullopt, u"session"_qs); }));
        QVERIFY(QFileInfo(path).exists() || QFileInfo(path).isSymLink());
        QVERIFY(refusedAsStorage([&] { vault.write(session, u"session"_qs); }));
    }

    void draftFile(const QString &defect)
    {
        const DraftFile draft {m_home->path() + u"/app/draft.json"_qs};
        draft.save(LocalDraft::fromText(u"note"_qs));
        spoil(draft.path, defect, m_home->path() + u"/aside"_qs);
        QVERIFY_THROWS_EXCEPTION(FileError, (void)draft.read()); // and a FIFO must not block it
    }

    // A spoiled entry, or a whole directory of them, is neither read nor written through.
    void draftEntry(const QString &defect, bool wholeDirectory)
    {
        SessionCredentials store(origin, m_home->path() + u"/drafts"_qs);
        store.write(QByteArray("draft"), u"draft:user-1"_qs);
        const QStringList entries = QDir(store.directory()).entryList(QDir::Files);
        QCOMPARE(entries.size(), 1);
        const QString spoiled = wholeDirectory ? store.directory() : store.directory() + u'/' + entries.first();
        spoil(spoiled, defect, m_home->path() + u"/aside"_qs);
        QVERIFY(refusedAsStorage([&] { (void)store.read(u"draft:user-1"_qs); }));
        if (wholeDirectory)
            QVERIFY(refusedAsStorage([&] { store.write(QByteArray("x"), u"draft:user-2"_qs); }));
    }

    void sealed(const QString &input)
    {
        const auto keys = std::make_shared<SoftwareKeyStore>();
        const EnclaveSessionCipher sealer(keys);
        const QByteArray envelope = sealer.seal(session, origin);
        QVERIFY(opens(sealer, envelope, origin));
        if (input == u"app")
            QVERIFY(!opens(EnclaveSessionCipher(keys, u"other.app"_qs), envelope, origin));
        else
            QVERIFY(!opens(sealer, envelope, QUrl(input == u"origin" ? u"https://other.example"_qs : u"https://vorno.example/"_qs)));
    }

    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(TestRefusals)
#include "TestRefusals.moc"
