#include "CloudStoreFixture.h"
#include "DataCases.h"

// The session: restore, sign-in, refresh, sign-out, the file session and
// quitting, and the one gate every operation of the account goes through.
class TestCloudStore : public CloudStoreFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { reset(); }

    void destroyedDuringSuspendedOperations_data()
    {
        datacases::addTable(u"cloudstore.json"_qs, u"destroyedDuringSuspendedOperations"_qs);
    }

    void destroyedDuringSuspendedOperations()
    {
        const auto gate = ScriptedTransport::gate();
        QCoro::Task<> running = suspended(gate);
        m_store.reset(); // with its transport and vault
        gate->resolve(true);
        // Nothing may touch the dead store; AddressSanitizer sees it if anything does.
        try {
            awaitTask(std::move(running));
        } catch (const CloudError &error) {
            QCOMPARE(error.failure(), CloudFailure::authentication);
        }
    }

    void restoreOutcomes_data() { datacases::addTable(u"cloudstore.json"_qs, u"restoreOutcomes"_qs); }

    void restoreOutcomes()
    {
        QFETCH(QString, stored);
        QFETCH(QString, refresh);
        QFETCH(bool, signedIn);
        QFETCH(QString, notice);
        QFETCH(bool, sessionKept);
        QFETCH(bool, retryAllowed);

        if (!stored.isNull())
            m_vault->entries.insert(u"session"_qs, stored == u"session" ? ScriptedTransport::sessionFor(user).toJson() : stored.toUtf8());
        m_api->script(u"refresh"_qs, step(refresh));
        awaitTask(m_store->restore());
        QCOMPARE(m_store->isSignedIn(), signedIn);
        QCOMPARE(noticeName(m_store->notice()), notice);
        QCOMPARE(m_vault->entries.contains(u"session"_qs), sessionKept);
        QVERIFY(!m_store->isBusy());
        if (signedIn)
            QCOMPARE(m_store->session()->access_token, ScriptedTransport::sessionFor(user, 2).access_token);

        const qsizetype refreshes = m_api->count(u"refresh"_qs);
        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(user).toJson());
        awaitTask(m_store->restore());
        QCOMPARE(m_api->count(u"refresh"_qs) > refreshes, retryAllowed);
    }

    void acceptRefusesForeignOrBrokenEntries_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("bytes"); // null: make the vault fail on this key

        const PendingWork foreign {u"ID"_qs, u"user-2"_qs, u"note"_qs, u"2026-01-01"_qs};
        QTest::newRow("pending of another user") << u"pending:user-1"_qs << foreign.toJson();
        QTest::newRow("draft not UTF-8")         << u"draft:user-1"_qs   << QByteArray("\xff\xfe");
        QTest::newRow("draft unreadable")        << u"draft:user-1"_qs   << QByteArray();
        QTest::newRow("session not writable")    << u"session"_qs        << QByteArray();
    }

    void acceptRefusesForeignOrBrokenEntries()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, bytes);

        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(user).toJson());
        if (bytes.isNull()) {
            m_vault->failReads.insert(key);
            m_vault->failWrites.insert(key);
        } else {
            m_vault->entries.insert(key, bytes);
        }
        awaitTask(m_store->restore());
        QVERIFY(!m_store->isSignedIn());
        QCOMPARE(m_store->notice(), std::optional(Words(Words::cloudLoginStorage)));
        if (!bytes.isNull())
            QCOMPARE(m_vault->entries.value(key), bytes); // untouched
    }

    void signOutDuringSuspendedOperations_data()
    {
        datacases::addTable(u"cloudstore.json"_qs, u"signOutDuringSuspendedOperations"_qs);
    }

    void signOutDuringSuspendedOperations()
    {
        const auto gate = ScriptedTransport::gate();
        QCoro::Task<> running = suspended(gate);
        QVERIFY(m_store->isBusy());
        awaitTask(m_store->logout());
        QVERIFY(!m_store->isSignedIn());
        QVERIFY(!m_store->isBusy());

        QSignalSpy busy(m_store.get(), &CloudStore::busyChanged);
        QSignalSpy notice(m_store.get(), &CloudStore::noticeChanged);
        QSignalSpy session(m_store.get(), &CloudStore::sessionChanged);
        QSignalSpy acknowledged(m_store->note(), &AccountNote::acknowledgedChanged);
        gate->resolve(true);
        awaitTask(std::move(running));
        // The stale operation changes nothing at all.
        QCOMPARE(busy.count(), 0);
        QCOMPARE(notice.count(), 0);
        QCOMPARE(session.count(), 0);
        QCOMPARE(acknowledged.count(), 0);
        QVERIFY(!m_store->isSignedIn());
    }

    void refreshSession_data() { datacases::addTable(u"cloudstore.json"_qs, u"refreshSession"_qs); }

    void refreshSession()
    {
        QFETCH(QString, owner);
        QFETCH(QString, refresh);
        QFETCH(bool, failSessionWrite);
        QFETCH(bool, signedIn);
        QFETCH(int, serial);
        QFETCH(QString, notice);

        signIn();
        m_api->script(u"owner"_qs, step(owner));
        m_api->script(u"refresh"_qs, step(refresh));
        if (failSessionWrite)
            m_vault->failWrites.insert(u"session"_qs);
        awaitTask(m_store->refreshSession());
        QCOMPARE(m_store->isSignedIn(), signedIn);
        QCOMPARE(noticeName(m_store->notice()), notice);
        QVERIFY(!m_store->isBusy());
        if (signedIn) {
            QCOMPARE(m_store->session()->access_token, ScriptedTransport::sessionFor(user, serial).access_token);
            if (!failSessionWrite)
                QCOMPARE(CloudSession::fromJson(m_vault->entries.value(u"session"_qs)), *m_store->session());
        } else {
            QVERIFY(!m_vault->entries.contains(u"session"_qs));
        }
    }

    void signOut_data() { datacases::addTable(u"cloudstore.json"_qs, u"signOut"_qs); }

    void signOut()
    {
        QFETCH(bool, dirty);
        QFETCH(QString, failWriteKey);
        QFETCH(QString, revoke);
        QFETCH(bool, signedIn);
        QFETCH(QString, notice);

        m_vault->entries.insert(u"pending:user-1"_qs, PendingWork {u"ID"_qs, user, u"old"_qs, u"2026-01-01"_qs}.toJson());
        signIn();
        if (dirty)
            m_store->note()->setText(u"unsaved"_qs);
        if (!failWriteKey.isEmpty())
            m_vault->failWrites.insert(failWriteKey);
        m_api->script(u"revoke"_qs, step(revoke));
        awaitTask(m_store->logout());

        QCOMPARE(m_store->isSignedIn(), signedIn);
        QCOMPARE(noticeName(m_store->notice()), notice);
        QCOMPARE(m_api->count(u"revoke"_qs), signedIn ? 0 : 1);
        // Drafts and pending notes survive a sign-out.
        QVERIFY(m_vault->entries.contains(u"pending:user-1"_qs));
        if (dirty && !signedIn)
            QCOMPARE(m_vault->entries.value(u"draft:user-1"_qs), QByteArray("unsaved"));
        if (!signedIn) {
            QCOMPARE(m_store->note()->text(), QString());
            QVERIFY(!m_vault->entries.contains(u"session"_qs));
        }
    }

    void fileSession()
    {
        QVERIFY_THROWS_EXCEPTION(CloudError, awaitTask(m_store->fileSession(user)));
        signIn();
        QVERIFY_THROWS_EXCEPTION(CloudError, awaitTask(m_store->fileSession(u"user-2"_qs)));

        const CloudSession session = awaitTask(m_store->fileSession(user));
        QCOMPARE(session.user.id, user);
        QVERIFY(!m_store->isBusy());

        // An expired token is refreshed for the caller; failures are passed on without a notice.
        m_api->script(u"owner"_qs, failing(CloudFailure::authentication));
        QCOMPARE(awaitTask(m_store->fileSession(user)).access_token, ScriptedTransport::sessionFor(user, 2).access_token);
        m_api->script(u"owner"_qs, failing(CloudFailure::unavailable));
        QVERIFY_THROWS_EXCEPTION(CloudError, awaitTask(m_store->fileSession(user)));
        QCOMPARE(m_store->notice(), std::nullopt);
        QVERIFY(m_store->isSignedIn());
    }

    void fileSessionWaitsAndGivesUp()
    {
        CloudStoreOptions options;
        options.fileSessionWait = 150ms;
        options.fileSessionPoll = 5ms;
        makeStore(options);
        signIn();

        // Waits for a running refresh, then goes on.
        const auto gate = ScriptedTransport::gate();
        m_api->script(u"owner"_qs, gated(gate));
        auto refresh = m_store->refreshSession();
        auto waiting = m_store->fileSession(user);
        QTimer::singleShot(20, this, [gate] { gate->resolve(true); });
        QCOMPARE(awaitTask(std::move(waiting)).user.id, user);
        awaitTask(std::move(refresh));

        // Gives up when the store stays busy past the deadline.
        const auto stuck = ScriptedTransport::gate();
        m_api->script(u"owner"_qs, gated(stuck));
        auto blocked = m_store->refreshSession();
        try {
            awaitTask(m_store->fileSession(user));
            QFAIL("waited for ever");
        } catch (const CloudError &error) {
            QCOMPARE(error.failure(), CloudFailure::unavailable);
        }

        // Honours cancellation while it waits.
        std::stop_source stop;
        auto cancelled = m_store->fileSession(user, stop.get_token());
        stop.request_stop();
        QVERIFY_THROWS_EXCEPTION(CancelledError, awaitTask(std::move(cancelled)));

        // A sign-out while it waits ends it with authentication.
        auto overtaken = m_store->fileSession(user);
        awaitTask(m_store->logout());
        try {
            awaitTask(std::move(overtaken));
            QFAIL("a session was handed out after sign-out");
        } catch (const CloudError &error) {
            QCOMPARE(error.failure(), CloudFailure::authentication);
        }
        stuck->resolve(true);
        awaitTask(std::move(blocked));
    }

    void prepareToQuit()
    {
        signIn();
        m_store->note()->setText(u"unsaved"_qs);
        m_vault->failWrites.insert(u"draft:user-1"_qs);
        QVERIFY(!m_store->prepareToQuit());
        QCOMPARE(m_store->notice(), std::optional(Words(Words::cloudStorage)));

        m_vault->failWrites.clear();
        const auto gate = ScriptedTransport::gate();
        m_api->script(u"owner"_qs, gated(gate));
        auto refresh = m_store->refreshSession();
        QVERIFY(m_store->prepareToQuit());
        QCOMPARE(m_vault->entries.value(u"draft:user-1"_qs), QByteArray("unsaved"));
        QVERIFY(!m_store->isBusy());
        gate->resolve(true);
        awaitTask(std::move(refresh));
        QVERIFY(!m_store->isBusy());
    }

private:
    // Starts the row's `operation`, held at the request `held` until `gate`
    // opens; that request then fails authentication when `rejected`.
    QCoro::Task<> suspended(const ScriptedTransport::Gate &gate)
    {
        QFETCH(QString, operation);
        QFETCH(QString, held);
        QFETCH(bool, rejected);

        if (operation == u"login") {
            m_browserAnswers = false;
            return m_store->login(origin); // waits for a browser that never answers
        }
        if (operation != u"restore") {
            signIn();
            m_store->note()->setText(u"a note"_qs);
        }
        m_api->script(held, {{}, rejected ? std::make_exception_ptr(CloudError(CloudFailure::authentication)) : nullptr, gate});
        if (operation == u"restore") {
            m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(user).toJson());
            return m_store->restore();
        }
        if (operation == u"refresh")
            return m_store->refreshSession();
        if (operation == u"send")
            return m_store->note()->send();
        if (operation == u"encouragement")
            return m_store->encouragement()->refreshAvailability();
        if (operation == u"next")
            return [](QCoro::Task<std::optional<EncouragementNote>> next) -> QCoro::Task<> { co_await std::move(next); }(m_store->encouragement()->next());
        return [](QCoro::Task<CloudSession> session) -> QCoro::Task<> { co_await std::move(session); }(m_store->fileSession(user));
    }
};

QTEST_GUILESS_MAIN(TestCloudStore)
#include "TestCloudStore.moc"
