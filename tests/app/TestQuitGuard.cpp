#include "AwaitTask.h"
#include "stores/CaptureStore.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "app/QuitGuard.h"
#include "ScriptedCapture.h"
#include "ScriptedVault.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace vorno;

using Choice = QuitGuard::Choice;
Q_DECLARE_METATYPE(Choice)

class TestQuitGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paths_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("draftOnDisk"); // empty: none
        QTest::addColumn<bool>("cloudVetoes");
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("quits");
        QTest::addColumn<bool>("draftWritten");

        const QByteArray unreadable("{\"version\":7}");
        QTest::newRow("no edits")                 << QString()       << QByteArray() << false << Choice::save        << false << true  << false;
        QTest::newRow("only spaces, save")        << u"   "_qs       << QByteArray() << false << Choice::save        << true  << false << false;
        QTest::newRow("a note, save")             << u"did it"_qs    << QByteArray() << false << Choice::save        << true  << true  << true;
        QTest::newRow("a note, cancel")           << u"did it"_qs    << QByteArray() << false << Choice::cancel      << true  << false << false;
        QTest::newRow("a note, quit without")     << u"did it"_qs    << QByteArray() << false << Choice::quitWithout << true  << true  << false;
        QTest::newRow("unreadable draft, save")   << u"did it"_qs    << unreadable   << false << Choice::save        << true  << false << false;
        QTest::newRow("unreadable draft, quit")   << u"did it"_qs    << unreadable   << false << Choice::quitWithout << true  << true  << false;
        QTest::newRow("cloud store refuses")      << u"did it"_qs    << QByteArray() << true  << Choice::quitWithout << false << false << false;
    }

    void paths()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, draftOnDisk);
        QFETCH(bool, cloudVetoes);
        QFETCH(Choice, choice);
        QFETCH(bool, asked);
        QFETCH(bool, quits);
        QFETCH(bool, draftWritten);

        TemporaryHome home;
        const QString draftPath = home.path() + u"/drafts/draft.json"_qs;
        if (!draftOnDisk.isEmpty()) {
            QVERIFY(QDir().mkpath(home.path() + u"/drafts"_qs));
            QFile file(draftPath);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(draftOnDisk) == draftOnDisk.size());
        }
        ScriptedCapture capture(home.path(), true);
        capture.store->setText(text);
        if (cloudVetoes) {
            // Unsent account text that cannot be kept.
            awaitTask(capture.store->cloud()->restore());
            capture.store->cloud()->note()->setText(u"for the account"_qs);
            capture.vault->failWrites.insert(u"draft:user-1"_qs);
        }

        bool wasAsked = false;
        const bool quit = QuitGuard::mayQuit(capture.store.get(), [&] { return wasAsked = true, choice; });
        QCOMPARE(wasAsked, asked);
        QCOMPARE(quit, quits);
        QFile written(draftPath);
        const QByteArray after = written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
        if (!draftOnDisk.isEmpty())
            QCOMPARE(after, draftOnDisk); // never overwritten
        else
            QCOMPARE(!after.isEmpty(), draftWritten);
    }
};

QTEST_GUILESS_MAIN(TestQuitGuard)
#include "TestQuitGuard.moc"
