#include "AwaitTask.h"
#include "ManualClock.h"
#include "services/BrowserLogin.h"
#include "support/CancelledError.h"
#include "Outcome.h"

#include <QTest>
#include <QUrlQuery>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

const QString scheme = u"app.vorno.desktop"_qs;
const QUrl origin(u"https://vorno.example"_qs);

QString callbackFor(const NativeLogin &login, const QString &extra = {})
{
    return scheme + u"://auth/callback?state="_qs + login.state() + u"&code=c1"_qs + extra;
}

// What start() ended in: the URL, or the kind of error.
QString outcome(QCoro::Task<QString> task)
{
    try {
        return awaitTask(std::move(task), 20s);
    } catch (...) {
        return testsupport::outcomeOf(std::current_exception());
    }
}

} // namespace

class TestBrowserLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signInUrl_data()
    {
        QTest::addColumn<QUrl>("base");
        QTest::addColumn<QString>("path");

        QTest::newRow("bare origin")     << QUrl(u"https://vorno.example"_qs)       << u"/mac/sign-in"_qs;
        QTest::newRow("trailing slash")  << QUrl(u"https://vorno.example/"_qs)      << u"/mac/sign-in"_qs;
        QTest::newRow("with a path")     << QUrl(u"https://vorno.example/base"_qs)  << u"/base/mac/sign-in"_qs;
    }

    void signInUrl()
    {
        QFETCH(QUrl, base);
        QFETCH(QString, path);

        const NativeLogin login;
        const QUrl url = BrowserLogin::signInUrl(base, login);
        QCOMPARE(url.path(), path);
        QCOMPARE(url.host(), base.host());
        const QList<std::pair<QString, QString>> items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0], (std::pair {u"state"_qs, login.state()}));
        QCOMPARE(items[1], (std::pair {u"challenge"_qs, login.challenge()}));
    }

    void callbackCompletesTheSignIn()
    {
        QList<QUrl> opened;
        BrowserLogin browser(600s, [&opened](const QUrl &url) { opened.append(url); return true; }, scheme);
        const NativeLogin login;
        auto started = browser.start(origin, login);
        QVERIFY(browser.isPending());
        QCOMPARE(opened, QList {BrowserLogin::signInUrl(origin, login)});

        // The code and even an error item are for the caller to judge, not receive().
        const QString callback = callbackFor(login, u"&error=denied"_qs);
        QVERIFY(browser.receive(callback));
        QVERIFY(!browser.isPending());
        QVERIFY(!browser.receive(callback)); // nothing pending any more
        QCOMPARE(outcome(std::move(started)), callback);
    }

    void callbackFromInsideTheBrowserOpener()
    {
        BrowserLogin *self = nullptr;
        const NativeLogin login;
        BrowserLogin browser(600s, [&self, &login](const QUrl &) { return self->receive(callbackFor(login)); }, scheme);
        self = &browser;
        QCOMPARE(outcome(browser.start(origin, login)), callbackFor(login));
    }

    void secondStartIsRefused()
    {
        int opens = 0;
        BrowserLogin browser(600s, [&opens](const QUrl &) { ++opens; return true; }, scheme);
        const NativeLogin first;
        auto started = browser.start(origin, first);
        QCOMPARE(outcome(browser.start(origin, NativeLogin())), u"authentication"_qs);
        QCOMPARE(opens, 1);
        QVERIFY(browser.receive(callbackFor(first)));
        QCOMPARE(outcome(std::move(started)), callbackFor(first));
    }

    void browserRefuses()
    {
        BrowserLogin browser(600s, [](const QUrl &) { return false; }, scheme);
        const NativeLogin login;
        QCOMPARE(outcome(browser.start(origin, login)), u"unavailable"_qs);
        QVERIFY(!browser.isPending());
        QVERIFY(!browser.receive(callbackFor(login)));
    }

    void deadline()
    {
        BrowserLogin browser(30ms, [](const QUrl &) { return true; }, scheme);
        const NativeLogin login;
        QCOMPARE(outcome(browser.start(origin, login)), u"authentication"_qs);
        QVERIFY(!browser.isPending());
        QVERIFY(!browser.receive(callbackFor(login)));

        // A callback that wins the race leaves nothing for the deadline to end.
        const NativeLogin next;
        auto started = browser.start(origin, next);
        QVERIFY(browser.receive(callbackFor(next)));
        QCOMPARE(outcome(std::move(started)), callbackFor(next));
    }

    // A later attempt is not cut short by an earlier attempt's deadline: A is
    // answered half-way through its time, B starts then and is still pending
    // after A's deadline has passed, until its own.
    void earlierDeadlineSparesLaterAttempt()
    {
        ManualClock clock;
        BrowserLogin browser(1s, [](const QUrl &) { return true; }, scheme, &clock);
        const NativeLogin first;
        auto a = browser.start(origin, first);
        clock.advance(500ms);
        QVERIFY(browser.receive(callbackFor(first)));
        QCOMPARE(outcome(std::move(a)), callbackFor(first));

        const NativeLogin second;
        auto b = browser.start(origin, second);
        clock.advance(700ms);
        QVERIFY(browser.isPending());
        clock.advance(400ms);
        QCOMPARE(outcome(std::move(b)), u"authentication"_qs);
    }

    void finishCancels()
    {
        BrowserLogin browser(600s, [](const QUrl &) { return true; }, scheme);
        browser.finish(std::make_exception_ptr(CancelledError())); // idle: nothing happens
        const NativeLogin login;
        auto started = browser.start(origin, login);
        browser.finish(std::make_exception_ptr(CancelledError()));
        QVERIFY(!browser.isPending());
        QVERIFY(!browser.receive(callbackFor(login)));
        QCOMPARE(outcome(std::move(started)), u"cancelled"_qs);
    }

    void destroyedWhilePending()
    {
        auto browser = std::make_unique<BrowserLogin>(20ms, [](const QUrl &) { return true; }, scheme);
        auto started = browser->start(origin, NativeLogin());
        browser.reset();
        QCOMPARE(outcome(std::move(started)), u"cancelled"_qs);
    }
};

QTEST_GUILESS_MAIN(TestBrowserLogin)
#include "TestBrowserLogin.moc"
