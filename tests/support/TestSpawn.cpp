#include "AwaitTask.h"
#include "support/CancelledError.h"
#include "support/ContinuousClock.h"
#include "support/OneShot.h"
#include "support/Spawn.h"

#include <QTest>

#include <stdexcept>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

QCoro::Task<> failNow()
{
    throw std::runtime_error("before suspending");
    co_return;
}

QCoro::Task<int> failLater()
{
    co_await ContinuousClock::sleep(1ms);
    throw std::runtime_error("after suspending");
}

QCoro::Task<> record(OneShot<int> shot, int *seen)
{
    *seen = co_await shot;
}

QCoro::Task<> never(OneShot<int> shot)
{
    co_await shot;
}

} // namespace

class TestSpawn : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void errorsReachTheHandler()
    {
        QStringList seen;
        const auto handler = [&seen](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception &e) {
                seen.append(QString::fromUtf8(e.what()));
            }
        };
        spawn(failNow(), handler);
        QCOMPARE(seen, QStringList {u"before suspending"_qs});
        spawn(failLater(), handler);
        QTRY_COMPARE(seen.size(), 2);
        QCOMPARE(seen.last(), u"after suspending"_qs);
    }

    void cancellationIsNotAFailure()
    {
        QTest::failOnWarning(QRegularExpression(u".*"_qs));
        OneShot<int> shot;
        spawn(never(shot));
        shot.fail(std::make_exception_ptr(CancelledError()));
        QCoreApplication::processEvents();
    }

    void oneShotFirstResultWins()
    {
        OneShot<int> shot;
        int seen = 0;
        auto waiter = record(shot, &seen);
        QVERIFY(!shot.isDone());
        QVERIFY(shot.resolve(1));
        QVERIFY(!shot.resolve(2));
        QVERIFY(!shot.fail(std::make_exception_ptr(CancelledError())));
        awaitTask(std::move(waiter));
        QCOMPARE(seen, 1);
    }

    void oneShotResumesFromTheEventLoop()
    {
        OneShot<int> shot;
        int seen = 0;
        auto waiter = record(shot, &seen);
        shot.resolve(7);
        QCOMPARE(seen, 0); // not inside resolve()
        awaitTask(std::move(waiter));
        QCOMPARE(seen, 7);

        // Awaiting a result that is already there does not suspend.
        int again = 0;
        auto late = record(shot, &again);
        QCOMPARE(again, 7);
        awaitTask(std::move(late));
    }

    void watchdogTurnsAHangIntoAFailure()
    {
        OneShot<int> shot;
        QVERIFY_THROWS_EXCEPTION(WatchdogExpired, awaitTask(never(shot), 10ms));
        shot.resolve(1); // the abandoned task may still finish safely
        awaitTask(ContinuousClock::sleep(1ms));
    }
};

QTEST_GUILESS_MAIN(TestSpawn)
#include "TestSpawn.moc"
