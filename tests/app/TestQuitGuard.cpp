#include "AwaitTask.h"
#include "DataCases.h"
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

class TestQuitGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paths_data() { datacases::addTable(u"quitguard.json"_qs, u"paths"_qs); }

    void paths()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, draftOnDisk);
        QFETCH(bool, cloudVetoes);
        QFETCH(QString, choice);
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
        const bool quit = QuitGuard::mayQuit(capture.store.get(), [&] {
            wasAsked = true;
            return choice == u"save" ? Choice::save : choice == u"cancel" ? Choice::cancel : Choice::quitWithout;
        });
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
