#include "FileChecks.h"
#include "FileSizeLimit.h"
#include "services/PersistentCredentials.h"
#include "SoftwareKeyStore.h"
#include "SoftwareTpm.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vorno;
using namespace filechecks;

namespace {

const QUrl origin(u"https://vorno.example"_qs);
const QByteArray session = R"({"access_token":"a","refresh_token":"r","user":{"id":"u"}})";

} // namespace

class TestPersistentCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        QVERIFY(m_home->isValid());
        m_keys = std::make_shared<SoftwareKeyStore>();
    }

    void cleanup() { m_home.reset(); }

    void layoutAndRoundTrip()
    {
        const auto store = vault();
        store->write(session, u"session"_qs);
        QCOMPARE(store->read(u"session"_qs), std::optional(session));
        QVERIFY(QFile::exists(sessionFile()));
        QVERIFY(!bytesOf(sessionFile()).contains("access_token")); // sealed, not plain

        struct stat status {};
        QCOMPARE(::lstat(QFile::encodeName(sessionFile()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, 0600u);
        QCOMPARE(::lstat(QFile::encodeName(store->directory()).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, 0700u);

        const QByteArray first = bytesOf(sessionFile());
        store->write(QByteArray(R"({"second":true})"), u"session"_qs);
        QVERIFY(bytesOf(sessionFile()) != first);
        QCOMPARE(store->read(u"session"_qs), std::optional(QByteArray(R"({"second":true})")));
        QCOMPARE(entriesOf(store->directory()), QStringList {u"session.v1"_qs});

        store->write(std::nullopt, u"session"_qs);
        QVERIFY(!QFile::exists(sessionFile()));
        QCOMPARE(store->read(u"session"_qs), std::nullopt);
    }

    void otherKeysGoToDrafts()
    {
        const auto store = vault();
        store->write(QByteArray("draft"), u"draft:u"_qs);
        QCOMPARE(store->read(u"draft:u"_qs), std::optional(QByteArray("draft")));
        QVERIFY(!QFile::exists(store->directory()));
        QCOMPARE(SessionCredentials(origin).read(u"draft:u"_qs), std::optional(QByteArray("draft")));
        QVERIFY(refusedAsStorage([&] { store->write(QByteArray("x"), u"other:u"_qs); }));
    }

    void absentDirectory()
    {
        const auto store = vault();
        QCOMPARE(store->read(u"session"_qs), std::nullopt);
        store->write(std::nullopt, u"session"_qs);
        QVERIFY(!QFile::exists(store->directory()));
        QCOMPARE(m_keys->agreements, 0);
    }

    void linksOnThePath_data()
    {
        QTest::addColumn<QString>("component"); // relative to the data home
        QTest::addColumn<bool>("asFile");

        QTest::newRow("app identifier is a link")   << u"app.vorno.desktop"_qs                  << false;
        QTest::newRow("enclave-sessions is a link") << u"app.vorno.desktop/enclave-sessions"_qs << false;
        QTest::newRow("origin directory is a link") << u"app.vorno.desktop/enclave-sessions/"_qs + hashOf(u"https://vorno.example"_qs) << false;
        QTest::newRow("app identifier is a file")   << u"app.vorno.desktop"_qs                  << true;
    }

    void linksOnThePath()
    {
        QFETCH(QString, component);
        QFETCH(bool, asFile);

        const QString path = m_home->dataHome() + u'/' + component;
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        const QString target = m_home->path() + u"/target"_qs;
        QVERIFY(QDir().mkpath(target));
        if (asFile) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QFile::link(target, path));
        }

        const auto store = vault();
        QVERIFY(refusedAsStorage([&] { (void)store->read(u"session"_qs); }));
        QVERIFY(refusedAsStorage([&] { store->write(session, u"session"_qs); }));
        QVERIFY(refusedAsStorage([&] { store->write(std::nullopt, u"session"_qs); }));
        QVERIFY(entriesOf(target).isEmpty());
    }

    void directoriesAboveTheApp_data()
    {
        QTest::addColumn<bool>("linked");   // the data home is a link to <home>/disk/data
        QTest::addColumn<int>("parentMode"); // of the data home's real parent
        QTest::addColumn<bool>("accepted");

        QTest::newRow("linked data home")                 << true  << 0700  << true;
        QTest::newRow("linked into a shared directory")  << true  << 0777  << false;
        QTest::newRow("linked into a sticky directory")  << true  << 01777 << true;
        QTest::newRow("group-writable parent")           << false << 0770  << false;
    }

    void directoriesAboveTheApp()
    {
        QFETCH(bool, linked);
        QFETCH(int, parentMode);
        QFETCH(bool, accepted);

        QString parent = m_home->path();
        if (linked) {
            parent += u"/disk"_qs;
            QVERIFY(QDir().mkpath(parent + u"/data"_qs));
            QVERIFY(QFile::link(parent + u"/data"_qs, m_home->dataHome()));
        }
        QCOMPARE(::chmod(QFile::encodeName(parent).constData(), mode_t(parentMode)), 0);

        const auto store = vault();
        if (accepted) {
            store->write(session, u"session"_qs);
            QCOMPARE(vault()->read(u"session"_qs), std::optional(session));
        } else {
            QVERIFY(refusedAsStorage([&] { store->write(session, u"session"_qs); }));
            QVERIFY(!QFile::exists(store->directory()));
        }
        QCOMPARE(::chmod(QFile::encodeName(parent).constData(), 0700), 0);
    }

    void crashLeftoversAreSwept()
    {
        vault()->write(session, u"session"_qs);
        const QString directory = QFileInfo(sessionFile()).path();
        const QString leftover = u"6F9619FF-8B86-D011-B42D-00C04FC964FF"_qs;
        writeFile(directory + u'/' + leftover, "half a seal");
        writeFile(directory + u"/notes.txt"_qs, "not ours");
        QCOMPARE(vault()->read(u"session"_qs), std::optional(session));
        QCOMPARE(entriesOf(directory), (QStringList {u"notes.txt"_qs, u"session.v1"_qs}));
    }

    void unreadableEnvelope()
    {
        const auto store = vault();
        store->write(session, u"session"_qs);
        const QByteArray sealed = bytesOf(sessionFile());

        // Damaged on disk.
        writeFile(sessionFile(), sealed.left(sealed.size() / 2));
        QVERIFY(refusedAsStorage([&] { (void)store->read(u"session"_qs); }));
        QVERIFY(QFile::exists(sessionFile())); // never deleted by a read

        // No hardware at all.
        m_keys->available = false;
        QVERIFY(refusedAsStorage([&] { (void)store->read(u"session"_qs); }));
        QVERIFY(refusedAsStorage([&] { store->write(session, u"session"_qs); }));
        QCOMPARE(bytesOf(sessionFile()), sealed.left(sealed.size() / 2)); // a refused write changes nothing
    }

    void failedWriteKeepsPreviousSession()
    {
        const auto store = vault();
        store->write(session, u"session"_qs);
        const QByteArray before = bytesOf(sessionFile());
        {
            const FileSizeLimit limit {16};
            QVERIFY(refusedAsStorage([&] { store->write(QByteArray("replacement"), u"session"_qs); }));
        }
        QCOMPARE(bytesOf(sessionFile()), before);
        QCOMPARE(store->read(u"session"_qs), std::optional(session));
        QCOMPARE(entriesOf(store->directory()), QStringList {u"session.v1"_qs});
    }

    void restartWithTheSameTpm()
    {
        const SoftwareTpm tpm;
        QVERIFY2(!tpm.tcti().isEmpty(), qPrintable(tpm.error()));
        const QByteArray previous = qgetenv("VORNO_TPM_TCTI");
        qputenv("VORNO_TPM_TCTI", tpm.tcti());
        {
            PersistentCredentials first(origin);
            first.write(session, u"session"_qs);
        }
        PersistentCredentials second(origin);
        QCOMPARE(second.read(u"session"_qs), std::optional(session));
        qputenv("VORNO_TPM_TCTI", previous);
    }

private:
    [[nodiscard]] std::unique_ptr<PersistentCredentials> vault()
    {
        return std::make_unique<PersistentCredentials>(origin, std::nullopt, nullptr,
                                                       std::make_unique<EnclaveSessionCipher>(m_keys));
    }

    [[nodiscard]] QString sessionFile() const
    {
        return m_home->dataHome() + u"/app.vorno.desktop/enclave-sessions/"_qs + hashOf(u"https://vorno.example"_qs)
            + u"/session.v1"_qs;
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::shared_ptr<SoftwareKeyStore> m_keys;
};

QTEST_GUILESS_MAIN(TestPersistentCredentials)
#include "TestPersistentCredentials.moc"
