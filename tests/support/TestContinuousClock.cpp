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
    void stopWhileSleeping()
    {
        std::stop_source source;
        QTimer::singleShot(0, this, [&source] { source.request_stop(); });
        QVERIFY(!awaitTask(sleepOutcome(1h, source.get_token()), 30s));
    }

    void stopFromAnotherThread()
    {
        std::stop_source source;
        std::thread other;
        QTimer::singleShot(0, this, [&source, &other] { other = std::thread([&source] { source.request_stop(); }); });
        const bool slept = awaitTask(sleepOutcome(1h, source.get_token()), 30s);
        other.join();
        QVERIFY(!slept);
    }
};

QTEST_GUILESS_MAIN(TestContinuousClock)
#include "TestContinuousClock.moc"
