#include "DataCases.h"
#include "FileChecks.h"
#include "core/Text.h"
#include "FileSizeLimit.h"
#include "services/SessionCredentials.h"
#include "TemporaryHome.h"

#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace vorno;
using namespace filechecks;

namespace {

const QUrl origin(u"https://vorno.example"_qs);

} // namespace

class TestSessionCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        QVERIFY(m_home->isValid());
    }

    void cleanup() { m_home.reset(); }

    void defaultLayout()
    {
        SessionCredentials store(origin);
        QCOMPARE(store.directory(),
                 m_home->dataHome() + u"/app.vorno.desktop/session-drafts/"_qs + hashOf(u"https://vorno.example"_qs));
        // Every origin has its own directory, even one that differs only by a slash.
        QVERIFY(SessionCredentials(QUrl(u"https://vorno.example/"_qs)).directory() != store.directory());
    }

    void roundTrip()
    {
        SessionCredentials store(origin);
        const QByteArray bytes("draft text \xe2\x9c\x93 \0 with a NUL", 25);
        store.write(bytes, u"draft:user-1"_qs);
        QCOMPARE(store.read(u"draft:user-1"_qs), std::optional(bytes));

        const QString file = store.directory() + u'/' + hashOf(u"draft:user-1"_qs);
        QVERIFY(QFile::exists(file));
        QCOMPARE(modeOf(file), 0600u);
        QCOMPARE(modeOf(store.directory()), 0700u);
        QCOMPARE(entriesOf(store.directory()), QStringList {hashOf(u"draft:user-1"_qs)});

        store.write(QByteArray("second"), u"draft:user-1"_qs);
        QCOMPARE(store.read(u"draft:user-1"_qs), std::optional(QByteArray("second")));
        QCOMPARE(entriesOf(store.directory()).size(), 1);

        store.write(std::nullopt, u"draft:user-1"_qs);
        QCOMPARE(store.read(u"draft:user-1"_qs), std::nullopt);
        QVERIFY(entriesOf(store.directory()).isEmpty());
    }

    void missingEntries()
    {
        SessionCredentials store(origin);
        QCOMPARE(store.read(u"pending:user-1"_qs), std::nullopt);
        QVERIFY(!QFile::exists(store.directory()));
        store.write(std::nullopt, u"pending:user-1"_qs);
        QCOMPARE(store.read(u"pending:user-1"_qs), std::nullopt);
    }

    void keys_data() { datacases::addTable(u"sessioncredentials.json"_qs, u"keys"_qs); }

    void keys()
    {
        QFETCH(QString, key);
        QFETCH(bool, accepted);

        SessionCredentials store(origin);
        if (accepted) {
            store.write(QByteArray("x"), key);
            QCOMPARE(store.read(key), std::optional(QByteArray("x")));
        } else {
            QVERIFY(refusedAsStorage([&] { store.write(QByteArray("x"), key); }));
            QVERIFY(refusedAsStorage([&] { (void)store.read(key); }));
            QVERIFY(!QFile::exists(store.directory()));
        }
    }

    void sessionStaysInMemory()
    {
        SessionCredentials store(origin);
        store.write(QByteArray("session bytes"), u"session"_qs);
        QCOMPARE(store.read(u"session"_qs), std::optional(QByteArray("session bytes")));
        QVERIFY(!QFile::exists(store.directory()));
        QCOMPARE(SessionCredentials(origin).read(u"session"_qs), std::nullopt);
    }

    void failedWriteKeepsPreviousEntry()
    {
        SessionCredentials store(origin);
        store.write(QByteArray("previous"), u"pending:u"_qs);
        {
            const FileSizeLimit limit {4};
            QVERIFY(refusedAsStorage([&] { store.write(QByteArray("a longer replacement"), u"pending:u"_qs); }));
        }
        QCOMPARE(store.read(u"pending:u"_qs), std::optional(QByteArray("previous")));
        QCOMPARE(entriesOf(store.directory()).size(), 1); // no temporary file left behind

        // What a crash left is swept when the directory is next opened.
        const QString leftover = store.directory() + u'/' + Text::newUuid(true);
        writeFile(leftover, "note text of a deleted entry");
        SessionCredentials(origin).write(std::nullopt, u"pending:u"_qs);
        QVERIFY(entriesOf(store.directory()).isEmpty());
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(TestSessionCredentials)
#include "TestSessionCredentials.moc"
