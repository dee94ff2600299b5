#pragma once

#include "support/CancelledError.h"
#include "support/Clock.h"

#include <QCoreApplication>
#include <QObject>

#include <QCoro/QCoroSignal>

// Time that moves only when the test says so.
class ManualClock : public QObject, public vorno::Clock
{
    Q_OBJECT

public:
    std::chrono::nanoseconds time {0};

    void advance(std::chrono::nanoseconds step)
    {
        time += step;
        Q_EMIT advanced();
        QCoreApplication::processEvents(); // sleepers resume on the event loop
    }

    std::chrono::nanoseconds now() const override { return time; }

    QCoro::Task<> sleep(std::chrono::nanoseconds duration, std::stop_token stop) override
    {
        const auto deadline = time + duration;
        while (time < deadline) {
            co_await qCoro(this, &ManualClock::advanced);
            if (stop.stop_requested())
                throw vorno::CancelledError();
        }
    }

Q_SIGNALS:
    void advanced();
};
