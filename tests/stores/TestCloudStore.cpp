#include "AwaitTask.h"
#include "support/CancelledError.h"
#include "core/CloudError.h"
#include "stores/AccountEncouragement.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "DataCases.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "services/TransportError.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>

using namespace vorno;
using namespace std::chrono_literals;


namespace {

const QString user = u"user-1"_qs;
const QString scheme = u"app.vorno.desktop"_qs;
const QUrl origin(u"https://vorno.example"_qs);

ScriptedTransport::Step answer(ScriptedTransport::Value value)
{
    return {std::move(value), {}, {}};
}

ScriptedTransport::Step gated(const ScriptedTransport::Gate &gate)
{
    return {{}, {}, gate};
}

ScriptedTransport::Step failing(CloudFailure failure)
{
    return ScriptedTransport::failing(CloudError(failure));
}

// An answer as the case tables write it: "" for the script's default, a
// failure's name, "network" or "timeout", "session <user> [serial]", "state of
// <user>" (encouragement), or "claim <owner or -> <due or expired>".
ScriptedTransport::Step step(const QString &text)
{
    const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    if (words[0] == u"network" || words[0] == u"timeout")
        return ScriptedTransport::failing(
            TransportError(words[0] == u"network" ? TransportError::Kind::network : TransportError::Kind::timeout));
    if (words[0] == u"session")
        return answer(ScriptedTransport::sessionFor(words.value(1), words.value(2, u"1"_qs).toInt()));
    if (words[0] == u"state") {
        EncouragementState state;
        state.ownerId = words.value(2);
        state.available = true;
        return answer(state);
    }
    if (words[0] == u"claim") {
        const EncouragementNote due {u"n1"_qs, u"Nice work on the parser."_qs, u"2999-01-01T00:00:00Z"_qs};
        const EncouragementNote expired {u"n2"_qs, u"Old news."_qs, u"2000-01-01T00:00:00Z"_qs};
        return answer(EncouragementClaim {words.value(1) == u"-" ? std::nullopt : std::optional(words.value(1)),
                                          words.value(2) == u"due" ? due : expired});
    }
    for (const CloudFailure failure : {CloudFailure::authentication, CloudFailure::unavailable, CloudFailure::changed,
                                       CloudFailure::storage, CloudFailure::invalid}) {
        if (words[0] == QLatin1StringView(name(failure)))
            return failing(failure);
    }
    qFatal("unknown answer in a case table: %s", qPrintable(text));
}

QString noticeName(const std::optional<Words> &notice)
{
    return notice ? notice->rawValue() : QString();
}

} // namespace

class TestCloudStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void restoreOutcomes_data();
    void restoreOutcomes();
    void restoreRunsOnce();
    void acceptRefusesForeignOrBrokenEntries_data();
    void acceptRefusesForeignOrBrokenEntries();
    void unconfirmedNoteReplacesTheDraft();
    void signInThroughTheBrowser();
    void signInFailures_data();
    void signInFailures();
    void signOutDuringSuspendedOperations_data();
    void signOutDuringSuspendedOperations();
    void destroyedDuringSuspendedOperations_data();
    void destroyedDuringSuspendedOperations();
    void refreshSession_data();
    void refreshSession();
    void canSend_data();
    void canSend();
    void sendOutcomes_data();
    void sendOutcomes();
    void retrySendsTheSameRecord();
    void confirmedNoteComesBackAfterRestart();
    void newNote();
    void lockKeepsTheComposerText();
    void signOut_data();
    void signOut();
    void fileSession();
    void fileSessionWaitsAndGivesUp();
    void prepareToQuit();
    void encouragementRead_data();
    void encouragementRead();
    void nextEncouragement_data();
    void nextEncouragement();
    void signalsOnlyOnChange();

private:
    // A store over a fresh script and vault (or, for a restart, a copy of the
    // current vault); the raw pointers stay valid while it lives.
    void makeStore(CloudStoreOptions options = CloudStoreOptions(), bool restart = false);
    // Signs in through restore() with a stored session for `id`.
    void signIn(const QString &id = user);

    std::unique_ptr<CloudStore> m_store;
    bool m_browserAnswers = true;
    ScriptedTransport *m_api = nullptr;
    ScriptedVault *m_vault = nullptr;
};

void TestCloudStore::destroyedDuringSuspendedOperations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("rejected"); // the owner check fails, so the session is refreshed
    QTest::newRow("restore")                  << u"restore"_qs       << false;
    QTest::newRow("refresh, token rejected")  << u"refresh"_qs       << true;
    QTest::newRow("send")                     << u"send"_qs          << false;
    QTest::newRow("encouragement read")       << u"encouragement"_qs << false;
    QTest::newRow("encouragement, rejected")  << u"encouragement"_qs << true;
    QTest::newRow("next encouragement")       << u"next"_qs          << false;
    QTest::newRow("file session, rejected")   << u"file"_qs          << true;
}

void TestCloudStore::destroyedDuringSuspendedOperations()
{
    QFETCH(QString, operation);
    QFETCH(bool, rejected);

    const auto gate = ScriptedTransport::gate();
    QCoro::Task<> running;
    if (operation == u"restore") {
        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(user).toJson());
        m_api->script(u"refresh"_qs, gated(gate));
        running = m_store->restore();
    } else {
        signIn();
        m_store->note()->setText(u"a note"_qs);
        m_api->script(u"owner"_qs, {{}, rejected ? std::make_exception_ptr(CloudError(CloudFailure::authentication)) : nullptr, gate});
        if (operation == u"refresh")
            running = m_store->refreshSession();
        else if (operation == u"send")
            running = m_store->note()->send();
        else if (operation == u"encouragement")
            running = m_store->encouragement()->refreshAvailability();
        else if (operation == u"next")
            running = [](QCoro::Task<std::optional<EncouragementNote>> next) -> QCoro::Task<> { co_await std::move(next); }(m_store->encouragement()->next());
        else
            running = [](QCoro::Task<CloudSession> session) -> QCoro::Task<> { co_await std::move(session); }(m_store->fileSession(user));
    }
    m_store.reset(); // with its transport and vault
    gate->resolve(true);
    // Nothing may touch the dead store; AddressSanitizer sees it if anything does.
    try {
        awaitTask(std::move(running));
    } catch (const CloudError &error) {
        QCOMPARE(error.failure(), CloudFailure::authentication);
    }
}

void TestCloudStore::init()
{
    m_browserAnswers = true;
    m_store.reset();
    m_vault = nullptr;
    makeStore();
}

void TestCloudStore::makeStore(CloudStoreOptions options, bool restart)
{
    auto api = std::make_unique<ScriptedTransport>();
    auto vault = std::make_unique<ScriptedVault>();
    if (restart)
        vault->entries = m_vault->entries; // a restart keeps what was stored
    m_api = api.get();
    m_vault = vault.get();
    // The browser calls back at once with the state it was given, unless a test
    // wants the sign-in left waiting.
    options.openBrowser = [this](const QUrl &url) {
        if (!m_browserAnswers)
            return true;
        const QString state = QUrlQuery(url).queryItemValue(u"state"_qs, QUrl::FullyDecoded);
        return m_store->browser()->receive(scheme + u"://auth/callback?state="_qs + state + u"&code=vm1_abc"_qs);
    };
    options.callbackScheme = scheme;
    m_store = std::make_unique<CloudStore>(std::move(api), std::move(vault), std::move(options));
}

void TestCloudStore::signIn(const QString &id)
{
    m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(id).toJson());
    awaitTask(m_store->restore());
    QVERIFY(m_store->isSignedIn());
}

void TestCloudStore::restoreOutcomes_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"restoreOutcomes"_qs);
}

void TestCloudStore::restoreOutcomes()
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

void TestCloudStore::restoreRunsOnce()
{
    m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(user).toJson());
    const auto gate = ScriptedTransport::gate();
    m_api->script(u"refresh"_qs, gated(gate));
    auto first = m_store->restore();
    QVERIFY(m_store->isBusy());
    awaitTask(m_store->restore()); // refused while busy
    QCOMPARE(m_api->count(u"refresh"_qs), 1);
    gate->resolve(true);
    awaitTask(std::move(first));
    QVERIFY(m_store->isSignedIn());
    awaitTask(m_store->restore()); // refused after success
    QCOMPARE(m_api->count(u"refresh"_qs), 1);
}

void TestCloudStore::acceptRefusesForeignOrBrokenEntries_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("bytes"); // null: make the vault fail on this key

    const PendingWork foreign {u"ID"_qs, u"user-2"_qs, u"note"_qs, u"2026-01-01"_qs};
    QTest::newRow("pending of another user") << u"pending:user-1"_qs << foreign.toJson();
    QTest::newRow("draft not UTF-8")         << u"draft:user-1"_qs   << QByteArray("\xff\xfe");
    QTest::newRow("draft unreadable")        << u"draft:user-1"_qs   << QByteArray();
    QTest::newRow("session not writable")    << u"session"_qs        << QByteArray();
}

void TestCloudStore::acceptRefusesForeignOrBrokenEntries()
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

void TestCloudStore::unconfirmedNoteReplacesTheDraft()
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

void TestCloudStore::signInThroughTheBrowser()
{
    m_vault->entries.insert(u"draft:user-1"_qs, "kept draft");
    awaitTask(m_store->login(origin));
    QVERIFY(m_store->isSignedIn());
    QCOMPARE(m_store->session()->user.id, user);
    QCOMPARE(m_store->note()->text(), u"kept draft"_qs);
    QCOMPARE(m_store->notice(), std::nullopt);
    QVERIFY(m_vault->entries.contains(u"session"_qs));
    QCOMPARE(m_api->calls(), (QStringList {u"exchange"_qs, u"owner"_qs}));
    awaitTask(m_store->login(origin)); // already signed in: nothing happens
    QCOMPARE(m_api->count(u"exchange"_qs), 1);
}

void TestCloudStore::signInFailures_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"signInFailures"_qs);
}

void TestCloudStore::signInFailures()
{
    QFETCH(QString, callbackTail);
    QFETCH(QString, exchange);
    QFETCH(QString, notice);

    CloudStore *store = nullptr;
    auto api = std::make_unique<ScriptedTransport>();
    auto vault = std::make_unique<ScriptedVault>();
    m_api = api.get();
    m_vault = vault.get();
    CloudStoreOptions options;
    options.callbackScheme = scheme;
    options.openBrowser = [&store, callbackTail](const QUrl &url) {
        const QString state = QUrlQuery(url).queryItemValue(u"state"_qs, QUrl::FullyDecoded);
        return store->browser()->receive(scheme + u"://auth/callback?state="_qs + state + u"&code=vm1_abc"_qs + callbackTail);
    };
    m_store = std::make_unique<CloudStore>(std::move(api), std::move(vault), options);
    store = m_store.get();
    m_api->script(u"exchange"_qs, step(exchange));

    awaitTask(m_store->login(origin));
    QVERIFY(!m_store->isSignedIn());
    QVERIFY(!m_store->isBusy());
    QCOMPARE(noticeName(m_store->notice()), notice);
}

void TestCloudStore::signOutDuringSuspendedOperations_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("restore")        << u"restore"_qs;
    QTest::newRow("sign-in")        << u"login"_qs;
    QTest::newRow("send")           << u"send"_qs;
    QTest::newRow("refresh")        << u"refresh"_qs;
    QTest::newRow("encouragement")  << u"encouragement"_qs;
}

void TestCloudStore::signOutDuringSuspendedOperations()
{
    QFETCH(QString, operation);

    const auto gate = ScriptedTransport::gate();
    QCoro::Task<> running;
    if (operation == u"restore") {
        m_vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(user).toJson());
        m_api->script(u"refresh"_qs, gated(gate));
        running = m_store->restore();
    } else if (operation == u"login") {
        m_browserAnswers = false;
        running = m_store->login(origin); // waits for a browser that never answers
    } else {
        signIn();
        m_store->note()->setText(u"a note"_qs);
        if (operation == u"send") {
            m_api->script(u"save"_qs, gated(gate));
            running = m_store->note()->send();
        } else if (operation == u"refresh") {
            m_api->script(u"owner"_qs, {{}, std::make_exception_ptr(CloudError(CloudFailure::authentication)), gate});
            running = m_store->refreshSession();
        } else {
            m_api->script(u"encouragement"_qs, gated(gate));
            running = m_store->encouragement()->refreshAvailability();
        }
    }
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

void TestCloudStore::refreshSession_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"refreshSession"_qs);
}

void TestCloudStore::refreshSession()
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

void TestCloudStore::canSend_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sendable");

    const QString emoji = u"\U0001F600"_qs;
    QTest::newRow("a note")          << u"did things"_qs        << true;
    QTest::newRow("blanks")          << u"  \n\t "_qs           << false;
    QTest::newRow("4000 units")      << QString(4000, u'a')     << true;
    QTest::newRow("4001 units")      << QString(4001, u'a')     << false;
    QTest::newRow("2000 emoji")      << emoji.repeated(2000)    << true;
    QTest::newRow("2000 emoji + a")  << emoji.repeated(2000) + u'a' << false;
    QTest::newRow("lone surrogate")  << u"a"_qs + QChar(0xD800) + u"b"_qs          << false;
}

void TestCloudStore::canSend()
{
    QFETCH(QString, text);
    QFETCH(bool, sendable);

    QVERIFY(!m_store->note()->canSend()); // signed out
    signIn();
    m_store->note()->setText(text);
    QCOMPARE(m_store->note()->canSend(), sendable);
}

void TestCloudStore::sendOutcomes_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"sendOutcomes"_qs);
}

void TestCloudStore::sendOutcomes()
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

void TestCloudStore::retrySendsTheSameRecord()
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

void TestCloudStore::confirmedNoteComesBackAfterRestart()
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

void TestCloudStore::newNote()
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

void TestCloudStore::lockKeepsTheComposerText()
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

void TestCloudStore::signOut_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"signOut"_qs);
}

void TestCloudStore::signOut()
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

void TestCloudStore::fileSession()
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

void TestCloudStore::fileSessionWaitsAndGivesUp()
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

void TestCloudStore::prepareToQuit()
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

void TestCloudStore::encouragementRead_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"encouragementRead"_qs);
}

void TestCloudStore::encouragementRead()
{
    QFETCH(QString, state);
    QFETCH(bool, available);
    QFETCH(bool, readFailed);
    QFETCH(bool, hasSettings);

    signIn();
    m_api->script(u"encouragement"_qs, step(state));
    QSignalSpy reading(m_store->encouragement(), &AccountEncouragement::readingChanged);
    awaitTask(m_store->encouragement()->refreshAvailability());
    QCOMPARE(reading.count(), 2); // on, then off
    QVERIFY(!m_store->encouragement()->isReading());
    QCOMPARE(m_store->encouragement()->isAvailable(), available);
    QCOMPARE(m_store->encouragement()->readFailed(), readFailed);
    QCOMPARE(m_store->encouragement()->settings().has_value(), hasSettings);
    QCOMPARE(m_store->notice(), std::nullopt);
    QVERIFY(m_store->isSignedIn()); // reads never end the session
    QVERIFY(!m_store->isBusy());
}

void TestCloudStore::nextEncouragement_data()
{
    datacases::addTable(u"cloudstore.json"_qs, u"nextEncouragement"_qs);
}

void TestCloudStore::nextEncouragement()
{
    QFETCH(bool, mac);
    QFETCH(QString, claim);
    QFETCH(bool, delivered);
    QFETCH(int, claims);

    signIn();
    m_store->encouragement()->present({u"shown"_qs, u"Shown before."_qs, u"2999-01-01T00:00:00Z"_qs});
    QVERIFY(m_store->encouragement()->note());
    EncouragementState state;
    state.ownerId = user;
    state.available = true;
    state.pro = true;
    state.preferences.enabled = true;
    state.preferences.mac = mac;
    m_api->script(u"encouragement"_qs, answer(state));
    m_api->script(u"claim"_qs, step(claim));

    const std::optional<EncouragementNote> note = awaitTask(m_store->encouragement()->next());
    QCOMPARE(note.has_value(), delivered);
    QCOMPARE(m_api->count(u"claim"_qs), claims);
    QCOMPARE(m_store->encouragement()->note().has_value(), mac); // the channel switched off clears what is shown
    QVERIFY(!m_store->isBusy());
    QCOMPARE(m_store->notice(), std::nullopt);
}

void TestCloudStore::signalsOnlyOnChange()
{
    signIn();
    QSignalSpy text(m_store->note(), &AccountNote::textChanged);
    QSignalSpy dirty(m_store->note(), &AccountNote::dirtyChanged);
    QSignalSpy sendable(m_store->note(), &AccountNote::canSendChanged);
    m_store->note()->setText(u"a"_qs);
    m_store->note()->setText(u"a"_qs);
    m_store->note()->setText(u"ab"_qs);
    QCOMPARE(text.count(), 2);
    QCOMPARE(dirty.count(), 1);
    QCOMPARE(sendable.count(), 1);
    QSignalSpy note(m_store->encouragement(), &AccountEncouragement::noteChanged);
    m_store->encouragement()->setNote(std::nullopt);
    QCOMPARE(note.count(), 0);
    // A note that is not valid is never presented.
    m_store->encouragement()->present({u"x"_qs, QString(), u"2999-01-01T00:00:00Z"_qs});
    QCOMPARE(note.count(), 0);
}

QTEST_GUILESS_MAIN(TestCloudStore)
#include "TestCloudStore.moc"
