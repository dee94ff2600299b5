#include "CloudStoreFixture.h"

// The note of the signed-in account: its draft, what may be sent, sending
// and the pending record.
class TestAccountNote : public CloudStoreFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { reset(); }

    void unconfirmedNoteReplacesTheDraft()
    {
        const PendingWork pending {u"ID"_qs, user, u"unconfirmed"_qs, u"2026-01-01"_qs};
        m_vault->entries.insert(u"draft:user-1"_qs, "draft");
        m_vault->entries.insert(u"pending:user-1"_qs, pending.toJson());
        signIn();
        QCOMPARE(m_store->note()->pending(), std::optional(pending));
        QVERIFY(!m_store->note()->isAcknowledged());
        QCOMPARE(m_store->note()->text(), u"unconfirmed"_qs);
        QCOMPARE(m_store->note()->savedText(), u"unconfirmed"_qs);
        QVERIFY(m_store->note()->canSend());
    }

    void sendOutcomes_data() { datacases::addTable(u"cloudstore.json"_qs, u"sendOutcomes"_qs); }

    void sendOutcomes()
    {
        QFETCH(QString, save);
        QFETCH(QString, failWriteKey);
        QFETCH(bool, acknowledged);
        QFETCH(bool, signedIn);
        QFETCH(int, saves);
        QFETCH(QString, notice);

        signIn();
        m_store->note()->setText(u"  worked on the parser \n"_qs);
        m_api->script(u"save"_qs, step(save));
        if (!failWriteKey.isEmpty())
            m_vault->failWrites.insert(failWriteKey);
        awaitTask(m_store->note()->send());

        QCOMPARE(m_store->note()->isAcknowledged(), acknowledged);
        QCOMPARE(m_store->isSignedIn(), signedIn);
        QCOMPARE(m_api->saved().size(), saves);
        QCOMPARE(noticeName(m_store->notice()), notice);
        QVERIFY(!m_store->isBusy());
        // The text is never lost: on screen, in the draft entry or in the pending note.
        QCOMPARE(m_store->note()->text(), u"  worked on the parser \n"_qs);
        if (failWriteKey != u"pending:user-1") {
            const PendingWork stored = PendingWork::fromJson(m_vault->entries.value(u"pending:user-1"_qs));
            QCOMPARE(stored.text, u"  worked on the parser \n"_qs);
            QCOMPARE(stored.ownerId, user);
            if (saves)
                QCOMPARE(m_api->saved().first(), stored);
        }
        if (acknowledged) {
            m_store->note()->setText(u"edited afterwards"_qs);
            QVERIFY(!m_store->note()->canSend());
        }
    }

    void retrySendsTheSameRecord()
    {
        CloudStoreOptions options;
        QDateTime now(QDate(2026, 3, 4), QTime(23, 30), QTimeZone::utc());
        options.now = [&now] { return now; };
        options.timeZone = QTimeZone::utc();
        makeStore(options);
        signIn();
        m_store->note()->setText(u"note"_qs);
        m_api->script(u"save"_qs, failing(CloudFailure::unavailable));
        awaitTask(m_store->note()->send());
        const PendingWork first = *m_store->note()->pending();
        QCOMPARE(first.occurredOn, u"2026-03-04"_qs);

        // Editing disables the retry; going back to the sent text enables it.
        m_store->note()->setText(u"note!"_qs);
        QVERIFY(!m_store->note()->canSend());
        m_store->note()->setText(u"note"_qs);
        QVERIFY(m_store->note()->canSend());

        now = now.addDays(1);
        awaitTask(m_store->note()->send());
        QCOMPARE(m_api->saved().size(), 1);
        QCOMPARE(m_api->saved().first(), first); // same id, same day
        QVERIFY(m_store->note()->isAcknowledged());
    }

    void confirmedNoteComesBackAfterRestart()
    {
        signIn();
        m_store->note()->setText(u"note"_qs);
        awaitTask(m_store->note()->send());
        QVERIFY(m_store->note()->isAcknowledged());
        const PendingWork sent = *m_store->note()->pending();

        makeStore(CloudStoreOptions(), true);
        awaitTask(m_store->restore());
        QVERIFY(m_store->isSignedIn());
        QCOMPARE(m_store->note()->pending(), std::optional(sent));
        QVERIFY(!m_store->note()->isAcknowledged());
        QCOMPARE(m_store->note()->text(), u"note"_qs);
        awaitTask(m_store->note()->send());
        QCOMPARE(m_api->saved().size(), 1);
        QCOMPARE(m_api->saved().first().id, sent.id);
    }

    void newNote()
    {
        signIn();
        m_store->note()->setText(u"note"_qs);
        m_api->script(u"save"_qs, failing(CloudFailure::unavailable));
        awaitTask(m_store->note()->send());
        m_store->note()->newNote(); // refused: unconfirmed
        QCOMPARE(m_store->note()->text(), u"note"_qs);
        QVERIFY(m_store->note()->pending());

        awaitTask(m_store->note()->send());
        QVERIFY(m_store->note()->isAcknowledged());
        m_vault->failWrites.insert(u"pending:user-1"_qs);
        m_store->note()->newNote();
        QCOMPARE(m_store->notice(), std::optional(Words(Words::cloudStorage)));
        QVERIFY(m_store->note()->pending());

        m_vault->failWrites.clear();
        m_store->note()->newNote();
        QCOMPARE(m_store->note()->text(), QString());
        QCOMPARE(m_store->note()->savedText(), QString());
        QCOMPARE(m_store->note()->pending(), std::nullopt);
        QVERIFY(!m_store->note()->isAcknowledged());
        QCOMPARE(m_store->notice(), std::optional(Words(Words::saved)));
        QVERIFY(!m_vault->entries.contains(u"pending:user-1"_qs));
        QVERIFY(!m_vault->entries.contains(u"draft:user-1"_qs));
    }

    void lockKeepsTheComposerText()
    {
        // In the vault when it can be written ...
        signIn();
        m_store->note()->setText(u"unsaved words"_qs);
        m_api->script(u"owner"_qs, failing(CloudFailure::authentication));
        m_api->script(u"refresh"_qs, failing(CloudFailure::authentication));
        awaitTask(m_store->refreshSession());
        QVERIFY(!m_store->isSignedIn());
        QCOMPARE(m_vault->entries.value(u"draft:user-1"_qs), QByteArray("unsaved words"));

        // ... else in memory, until the same account signs in again.
        awaitTask(m_store->login(origin));
        QVERIFY(m_store->isSignedIn());
        m_store->note()->setText(u"rescued words"_qs);
        m_vault->failWrites.insert(u"draft:user-1"_qs);
        m_api->script(u"owner"_qs, failing(CloudFailure::authentication));
        m_api->script(u"refresh"_qs, failing(CloudFailure::authentication));
        awaitTask(m_store->refreshSession());
        QVERIFY(!m_store->isSignedIn());
        QCOMPARE(m_store->note()->rescuedDrafts().value(user), u"rescued words"_qs);
        m_vault->failWrites.clear();

        m_api->script(u"exchange"_qs, answer(ScriptedTransport::sessionFor(u"user-2"_qs)));
        awaitTask(m_store->login(origin));
        QCOMPARE(m_store->session()->user.id, u"user-2"_qs);
        QCOMPARE(m_store->note()->rescuedDrafts().value(user), u"rescued words"_qs); // another account leaves it alone
        awaitTask(m_store->logout());

        awaitTask(m_store->login(origin));
        QCOMPARE(m_store->session()->user.id, user);
        QCOMPARE(m_store->note()->text(), u"rescued words"_qs);
        QCOMPARE(m_store->note()->savedText(), u"unsaved words"_qs);
        QVERIFY(m_store->note()->isDirty());
        QVERIFY(m_store->note()->rescuedDrafts().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAccountNote)
#include "TestAccountNote.moc"
