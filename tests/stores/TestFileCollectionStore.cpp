#include "AwaitTask.h"
#include "DataCases.h"
#include "services/CloudClient.h"
#include "stores/CloudStore.h"
#include "FileChecks.h"
#include "services/FileCollectionOutbox.h"
#include "stores/FileCollectionStore.h"
#include "services/NativeFileClient.h"
#include "ScriptedVault.h"
#include "support/Spawn.h"
#include "StandIn.h"
#include "TemporaryHome.h"
#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

QByteArray patterned(qsizetype size, char seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(seed + i * 31 + (i >> 10));
    return bytes;
}

} // namespace

// The whole collection workflow against the stand-in and its real @tus/server.
class TestFileCollectionStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_standIn = std::make_unique<StandIn>();
        QVERIFY2(m_standIn->isRunning(), qPrintable(m_standIn->error()));
    }

    void cleanupTestCase() { m_standIn.reset(); }

    void init() { m_home = std::make_unique<TemporaryHome>(); }

    void cleanup()
    {
        m_store.reset();
        m_client.reset();
        m_api.reset();
        m_cloud.reset();
        m_home.reset();
    }

    void readiness()
    {
        start(true, false);
        QVERIFY(!m_store->isReady());
        awaitTask(m_store->load(u"de"_qs), 30s); // an unsupported language falls back to English
        QVERIFY(m_store->policy());
        QCOMPARE(m_store->policy()->ownerId, m_user);
        QCOMPARE(m_store->checks(), QList<bool>(m_store->policy()->copy.checks.size(), false));
        QVERIFY(!m_store->isReady());
        m_store->setCheck(0, true);
        QVERIFY(!m_store->isReady());
        QSignalSpy ready(m_store.get(), &FileCollectionStore::readyChanged);
        for (qsizetype i = 0; i < m_store->checks().size(); ++i)
            m_store->setCheck(i, true);
        QVERIFY(m_store->isReady());
        QCOMPARE(ready.count(), 1);
        m_store->resetChecks();
        QVERIFY(!m_store->isReady());

        awaitTask(m_store->load(u"ko"_qs), 30s);
        QVERIFY(m_store->policy()->copy.checks.first() != u"I have the right to upload these files."_qs);
    }

    void freeCollection()
    {
        start(false, true);
        consent();
        const QList<QByteArray> contents {patterned(10, 'a'), patterned(70000, 'b'), patterned(7 * 1024 * 1024, 'c')};
        awaitTask(m_store->send(makeFiles(contents)), 120s);
        QVERIFY2(!m_store->failure(), qPrintable(m_store->failure().value_or(QString())));
        QVERIFY(m_store->batch()->free);
        QVERIFY(m_store->batch()->registered);

        const QJsonObject stored = objects();
        for (qsizetype i = 0; i < contents.size(); ++i) {
            const CollectedFile &file = m_store->batch()->files[std::size_t(i)];
            QVERIFY(file.preflight);
            const QString key = u"first-free-preflight/"_qs + m_user + u"/preflight/"_qs + m_store->batch()->id + u'/' + file.id;
            QCOMPARE(stored.value(key).toObject().value(u"sha256"_qs).toString(), Text::sha256Hex(contents[i]));
        }
        pollToCompletion();
        const FileCollectionOutbox outbox(m_user, m_standIn->origin(), m_home->path() + u"/outbox"_qs);
        for (const CollectedFile &file : m_store->batch()->files)
            QVERIFY(!QFile::exists(outbox.bytesPath(file))); // copies go once the server holds the bytes
        const std::optional<QUrl> results = m_store->batch()->resultURL(m_user, std::nullopt, m_standIn->origin());
        QVERIFY(results);
        QCOMPARE(results->query(), u"batch="_qs + m_store->batch()->id);
        QVERIFY(!m_store->isBusy());
    }

    void paidCollection()
    {
        start(true, false);
        consent();
        const QList<QByteArray> contents {patterned(1, 'x'), patterned(6 * 1024 * 1024 + 1, 'y')};
        awaitTask(m_store->send(makeFiles(contents)), 120s);
        QVERIFY2(!m_store->failure(), qPrintable(m_store->failure().value_or(QString())));
        QVERIFY(!m_store->batch()->free);

        const QJsonObject stored = objects();
        for (qsizetype i = 0; i < contents.size(); ++i) {
            const CollectedFile &file = m_store->batch()->files[std::size_t(i)];
            QVERIFY(file.objectPath && file.objectPath->startsWith(m_user + u'/'));
            QCOMPARE(stored.value(u"career-sources/"_qs + *file.objectPath).toObject().value(u"sha256"_qs).toString(),
                     Text::sha256Hex(contents[i]));
        }
        // "upload_not_complete" once per file: one upload, then one more complete.
        QCOMPARE(requestsTo(u"POST"_qs, u"/api/imports/complete"_qs), 4);
        QCOMPARE(requestsTo(u"POST"_qs, NativeFileClient::uploadPath), 2);
        pollToCompletion();
        QVERIFY(m_store->files().empty());
        const std::optional<QUrl> results = m_store->batch()->resultURL(m_user, std::nullopt, m_standIn->origin());
        QVERIFY(results);
        QCOMPARE(results->path(), u"/journey"_qs);
    }

    void resumesAfterAKill()
    {
        start(true, false);
        consent();
        const QList<QByteArray> contents {patterned(2000, 'e'), patterned(13 * 1024 * 1024, 'f')};
        // The second file's upload breaks part way; then the process "dies".
        m_standIn->control(u"faults"_qs, {{u"dropAfter"_qs, 3 * 1024 * 1024}, {u"dropSkip"_qs, 2}});
        awaitTask(m_store->send(makeFiles(contents)), 120s);
        QVERIFY(m_store->failure());
        const QString firstStatus = m_store->batch()->files[0].status;
        QVERIFY(m_store->batch()->files[1].tus);

        restart();
        consent();
        QVERIFY(m_store->batch()); // picked up from the outbox
        QCOMPARE(m_store->batch()->files[0].status, firstStatus);
        awaitTask(m_store->send({}), 120s);
        QVERIFY2(!m_store->failure(), qPrintable(m_store->failure().value_or(QString())));

        const QJsonObject stored = objects();
        for (qsizetype i = 0; i < contents.size(); ++i) {
            const CollectedFile &file = m_store->batch()->files[std::size_t(i)];
            QCOMPARE(stored.value(u"career-sources/"_qs + *file.objectPath).toObject().value(u"sha256"_qs).toString(),
                     Text::sha256Hex(contents[i]));
        }
        // One upload per file: the finished one was not sent again, the broken one resumed.
        QCOMPARE(requestsTo(u"POST"_qs, NativeFileClient::uploadPath), 2);
        pollToCompletion();
    }

    void signOutMidUploadShowsNothing()
    {
        start(true, false);
        consent();
        const QByteArray content = patterned(13 * 1024 * 1024, 'g');
        CloudStore *cloud = m_cloud.get();
        connect(m_store.get(), &FileCollectionStore::bytesSentChanged, this, [this, cloud] {
            if (m_store->bytesSent() > 0 && cloud->isSignedIn())
                spawn(cloud->logout());
        });
        awaitTask(m_store->send(makeFiles({content})), 120s);
        QVERIFY(!cloud->isSignedIn());
        QCOMPARE(m_store->failure(), std::nullopt);
        QVERIFY(!m_store->transferring());
        QCOMPARE(m_store->bytesSent(), 0);
        QVERIFY(!m_store->isBusy());
        const CollectedFile &file = m_store->batch()->files.front();
        QVERIFY(!objects().contains(u"career-sources/"_qs + file.objectPath.value_or(QString())));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("pro");
        QTest::addColumn<bool>("firstFree");
        QTest::addColumn<QList<QByteArray>>("contents"); // empty: send no files
        QTest::addColumn<int>("maxBytes");               // the policy's; 0: the stand-in's default of 20 MiB
        QTest::addColumn<QString>("failure");

        const QByteArray overCopy(20 * 1024 * 1024 + 1, 'x');
        QTest::newRow("no files")             << true  << false << QList<QByteArray> {}         << 0        << u"subscription_required"_qs;
        QTest::newRow("neither pro nor free") << false << false << QList<QByteArray> {"x"}      << 0        << u"subscription_required"_qs;
        QTest::newRow("empty file")           << true  << false << QList<QByteArray> {"x", ""}  << 0        << u"invalid_file"_qs;
        QTest::newRow("over the limit")       << true  << false << QList<QByteArray> {overCopy} << 0        << u"invalid_file"_qs;
        QTest::newRow("policy allows more")   << true  << false << QList<QByteArray> {overCopy} << 50 * 1024 * 1024 << u"invalid_file"_qs;
    }

    void refusals()
    {
        QFETCH(bool, pro);
        QFETCH(bool, firstFree);
        QFETCH(QList<QByteArray>, contents);
        QFETCH(int, maxBytes);
        QFETCH(QString, failure);

        start(pro, firstFree);
        if (maxBytes)
            m_standIn->control(u"account"_qs, {{u"id"_qs, m_user}, {u"maxBytes"_qs, maxBytes}});
        consent();
        QCOMPARE(m_store->policy()->maxBytes, maxBytes ? maxBytes : 20 * 1024 * 1024);
        awaitTask(m_store->send(contents.isEmpty() ? QList<QUrl>() : makeFiles(contents)), 60s);
        QCOMPARE(m_store->failure(), std::optional(failure));
        QVERIFY(!m_store->batch());
        QVERIFY(!m_store->isBusy());
        // No recovery copy is left behind by a refused add.
        const FileCollectionOutbox outbox(m_user, m_standIn->origin(), m_home->path() + u"/outbox"_qs);
        QVERIFY(QDir(outbox.directory()).entryList(QDir::Files).isEmpty());
        QCOMPARE(requestsTo(u"POST"_qs, u"/api/imports"_qs) + requestsTo(u"POST"_qs, u"/api/first-drop/preflight/uploads"_qs), 0);
    }

    void unreadableRecordIsKept()
    {
        start(true, false);
        const FileCollectionOutbox outbox(m_user, m_standIn->origin(), m_home->path() + u"/outbox"_qs);
        outbox.prepareDirectory();
        const QString record = outbox.directory() + u"/batch.json"_qs;
        const QString copy = outbox.directory() + u"/00000000-0000-4000-8000-000000000001.data"_qs;
        filechecks::writeFile(record, "{not a batch");
        filechecks::writeFile(copy, "bytes of the unreadable batch");
        restart();
        consent(); // the policy still loads
        QCOMPARE(m_store->failure(), std::optional(u"local_cleanup_failed"_qs));
        QVERIFY(m_store->isRecordUnreadable());

        awaitTask(m_store->send(makeFiles({"new"})), 60s);
        QCOMPARE(m_store->failure(), std::optional(u"local_cleanup_failed"_qs));
        QCOMPARE(filechecks::bytesOf(record), QByteArray("{not a batch"));
        QVERIFY(QFile::exists(copy));

        m_store->clear();
        QVERIFY(!m_store->failure());
        QVERIFY(!m_store->isRecordUnreadable());
        QCOMPARE(filechecks::entriesOf(outbox.directory()), QStringList());
    }

    void signOutDuringLoadShowsNothing()
    {
        start(true, false);
        // The policy request waits for the cloud store, which a sign-out ends.
        QCoro::Task<> refreshing = m_cloud->refreshSession();
        QCoro::Task<> loading = m_store->load(u"en"_qs);
        awaitTask(m_cloud->logout(), 30s);
        awaitTask(std::move(loading), 30s);
        awaitTask(std::move(refreshing), 30s);
        QVERIFY(!m_store->failure());
        QVERIFY(!m_store->policy());
    }

    void finishedUploadIsNotResumed()
    {
        // A free file whose preflight upload finished is later asked for again.
        start(false, true);
        consent();
        m_standIn->control(u"next"_qs, {{u"method"_qs, u"GET"_qs}, {u"path"_qs, u"/api/imports/process"_qs}, {u"status"_qs, 200},
                                        {u"body"_qs, uR"({"status":"pending_upload"})"_qs}});
        m_standIn->control(u"next"_qs, {{u"method"_qs, u"POST"_qs}, {u"path"_qs, u"/api/imports/complete"_qs}, {u"status"_qs, 409},
                                        {u"body"_qs, uR"({"error":"upload_not_complete"})"_qs}});
        const QByteArray content = patterned(5000, 'r');
        awaitTask(m_store->send(makeFiles({content})), 120s);
        const CollectedFile &file = m_store->batch()->files.front();
        QVERIFY(!file.tus);
        QCOMPARE(requestsTo(u"POST"_qs, NativeFileClient::uploadPath), 2);
        QCOMPARE(objects().value(u"career-sources/"_qs + file.objectPath.value_or(QString())).toObject().value(u"sha256"_qs).toString(),
                 Text::sha256Hex(content));
    }

    void hostileAnswers_data() { datacases::addTable(u"collectionstore.json"_qs, u"hostileAnswers"_qs); }

    void hostileAnswers()
    {
        QFETCH(bool, free);
        QFETCH(QString, method);
        QFETCH(QString, path);
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(QString, failure);
        QFETCH(bool, resumable);

        start(!free, free);
        consent();
        const QList<QUrl> files = makeFiles({patterned(3000, 'h')});
        if (method == u"account")
            m_standIn->control(u"account"_qs, {{u"id"_qs, m_user}, {path, true}});
        else
            m_standIn->control(u"next"_qs, {{u"method"_qs, method}, {u"path"_qs, path}, {u"status"_qs, status}, {u"body"_qs, body}});
        awaitTask(m_store->send(files), 120s);
        QCOMPARE(m_store->failure().value_or(u"none"_qs), failure);
        QVERIFY(!m_store->isBusy());
        QVERIFY(m_store->batch()); // the outbox stays consistent ...
        if (!resumable) {
            // Nothing was sent into another user's folder.
            QCOMPARE(requestsTo(u"POST"_qs, NativeFileClient::uploadPath), 0);
            for (const QString &key : objects().keys())
                QVERIFY2(!key.startsWith(u"career-sources/someone-else/"_qs), qPrintable(key));
            return;
        }

        // ... so a later send resumes and finishes once the service behaves.
        restart();
        consent();
        awaitTask(m_store->send({}), 120s);
        QVERIFY2(!m_store->failure(), qPrintable(m_store->failure().value_or(QString())));
        pollToCompletion();
    }

private:
    // A signed-in user with a fresh account (pro or first-free) and new stores.

    void start(bool pro, bool firstFree)
    {
        m_logStart = m_standIn->state().value(u"log"_qs).toArray().size();
        m_user = QUuid::createUuid().toString(QUuid::WithoutBraces);
        m_standIn->control(u"accounts"_qs, {{u"id"_qs, m_user}, {u"pro"_qs, pro}, {u"firstFree"_qs, firstFree}});
        m_storedSession = QJsonDocument(m_standIn->control(u"sessions"_qs, {{u"userId"_qs, m_user}})).toJson();
        restart();
    }

    // New stores on the same outbox and session, as after a restart.

    void restart()
    {
        m_store.reset();
        m_client.reset();
        m_api.reset();
        m_cloud.reset();

        const CloudClientOptions apiOptions = m_standIn->apiOptions();
        auto vault = std::make_unique<ScriptedVault>();
        vault->entries.insert(u"session"_qs, m_storedSession);
        m_cloud = std::make_unique<CloudStore>(std::make_unique<CloudClient>(m_standIn->origin(), apiOptions), std::move(vault));
        awaitTask(m_cloud->restore(), 30s);
        QVERIFY(m_cloud->isSignedIn());
        // The refreshed session replaces the stored one, as the vault would keep it.
        m_storedSession = m_cloud->session()->toJson();

        m_api = std::make_unique<CloudClient>(m_standIn->origin(), apiOptions);
        NativeFileClientOptions options = m_standIn->fileOptions();
        m_client = std::make_unique<NativeFileClient>(m_api.get(), options);
        m_store = std::make_unique<FileCollectionStore>(m_cloud.get(), m_client.get(), m_home->path() + u"/outbox"_qs);
    }

    [[nodiscard]] QList<QUrl> makeFiles(const QList<QByteArray> &contents)
    {
        QList<QUrl> urls;
        QDir().mkpath(m_home->path() + u"/files"_qs);
        for (const QByteArray &content : contents) {
            const QString path = m_home->path() + QStringLiteral("/files/file-%1.txt").arg(++m_files);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
                qFatal("cannot write a test file");
            urls.append(QUrl::fromLocalFile(path));
        }
        return urls;
    }

    // Loads the policy and ticks every consent statement.

    void consent()
    {
        awaitTask(m_store->load(u"en"_qs), 30s);
        QVERIFY(m_store->policy());
        for (qsizetype i = 0; i < m_store->checks().size(); ++i)
            m_store->setCheck(i, true);
        QVERIFY(m_store->isReady());
    }

    // Polls until the batch is completed (bounded; each poll advances processing).

    void pollToCompletion()
    {
        for (int round = 0; round < 10 && !m_store->isCompleted(); ++round)
            awaitTask(m_store->poll(), 30s);
        QVERIFY2(m_store->isCompleted(), qPrintable(m_store->failure().value_or(u"not completed"_qs)));
    }

    [[nodiscard]] QJsonObject objects() { return m_standIn->state().value(u"objects"_qs).toObject(); }

    [[nodiscard]] int requestsTo(const QString &method, const QString &path)
    {
        int count = 0;
        const QJsonArray log = m_standIn->state().value(u"log"_qs).toArray();
        for (qsizetype i = m_logStart; i < log.size(); ++i) {
            const QJsonObject request = log.at(i).toObject();
            if (request.value(u"method"_qs).toString() == method && request.value(u"path"_qs).toString() == path)
                ++count;
        }
        return count;
    }

    std::unique_ptr<StandIn> m_standIn;
    std::unique_ptr<TemporaryHome> m_home;
    QString m_user;
    QByteArray m_storedSession;
    std::unique_ptr<CloudStore> m_cloud;
    std::unique_ptr<CloudClient> m_api;
    std::unique_ptr<NativeFileClient> m_client;
    std::unique_ptr<FileCollectionStore> m_store;
    int m_files = 0;
    qsizetype m_logStart = 0; // stand-in requests before this test's account existed
};

QTEST_GUILESS_MAIN(TestFileCollectionStore)
#include "TestFileCollectionStore.moc"
