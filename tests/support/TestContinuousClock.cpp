#include "AwaitTask.h"
#include "support/CancelledError.h"
#include "support/ContinuousClock.h"

#include <QTest>
#include <QTimer>

#include <thread>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

// Whether the sleep finished (true) or was cancelled (false).
QCoro::Task<bool> sleepOutcome(std::chrono::nanoseconds duration, std::stop_token stop)
{
    try {
        co_await ContinuousClock::sleep(duration, stop);
        co_return true;
    } catch (const CancelledError &) {
        co_return false;
    }
}

} // namespace

class TestContinuousClock : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sleepsAtLeastTheDuration_data();
    void sleepsAtLeastTheDuration();
    void stopBeforeSleeping();
    void stopWhileSleeping();
    void stopFromAnotherThread();
    void stopAfterWakingChangesNothing();
    void manySleepsAtOnce();
};

void TestContinuousClock::sleepsAtLeastTheDuration_data()
{
    QTest::addColumn<qint64>("nanoseconds");
    QTest::newRow("negative") << qint64(-5);
    QTest::newRow("zero")     << qint64(0);
    QTest::newRow("1 ns")     << qint64(1);
    QTest::newRow("20 ms")    << qint64(20'000'000);
}

void TestContinuousClock::sleepsAtLeastTheDuration()
{
    QFETCH(qint64, nanoseconds);
    const auto before = ContinuousClock::now();
    QVERIFY(awaitTask(sleepOutcome(std::chrono::nanoseconds(nanoseconds), {})));
    QVERIFY(ContinuousClock::now() - before >= std::chrono::nanoseconds(nanoseconds));
}

void TestContinuousClock::stopBeforeSleeping()
{
    std::stop_source source;
    source.request_stop();
    QVERIFY(!awaitTask(sleepOutcome(1h, source.get_token())));
}

void TestContinuousClock::stopWhileSleeping()
{
    std::stop_source source;
    QTimer::singleShot(0, this, [&source] { source.request_stop(); });
    QVERIFY(!awaitTask(sleepOutcome(1h, source.get_token()), 30s));
}

void TestContinuousClock::stopFromAnotherThread()
{
    std::stop_source source;
    std::thread other;
    QTimer::singleShot(0, this, [&source, &other] { other = std::thread([&source] { source.request_stop(); }); });
    const bool slept = awaitTask(sleepOutcome(1h, source.get_token()), 30s);
    other.join();
    QVERIFY(!slept);
}

void TestContinuousClock::stopAfterWakingChangesNothing()
{
    std::stop_source source;
    QVERIFY(awaitTask(sleepOutcome(1ms, source.get_token())));
    source.request_stop(); // the callback is gone with the sleep; nothing may fire
    QCoreApplication::processEvents();
}

void TestContinuousClock::manySleepsAtOnce()
{
    // Shorter sleeps wake first, whatever order they started in.
    QList<int> order;
    const auto sleeper = [](int id, std::chrono::milliseconds duration, QList<int> *log) -> QCoro::Task<> {
        co_await ContinuousClock::sleep(duration);
        log->append(id);
    };
    auto slow = sleeper(3, 60ms, &order);
    auto fast = sleeper(1, 1ms, &order);
    auto middle = sleeper(2, 30ms, &order);
    awaitTask(std::move(slow));
    awaitTask(std::move(fast));
    awaitTask(std::move(middle));
    QCOMPARE(order, (QList<int> {1, 2, 3}));
}

QTEST_GUILESS_MAIN(TestContinuousClock)
#include "TestContinuousClock.moc"
