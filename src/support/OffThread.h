#pragma once

#include <QFuture>
#include <QPromise>
#include <QThreadPool>

#include <QCoro/QCoroFuture>

#include <memory>
#include <type_traits>

namespace vorno {

// Runs `work` on one of `pool`'s threads; a coroutine awaits the future to
// resume on its own thread with the result. `work` must not throw. Not a
// coroutine itself: keep the future in a variable and await that, since
// g++ 12 may destroy temporaries of a co_await expression twice.
template<class Work, class Result = std::invoke_result_t<Work>>
[[nodiscard]] QFuture<Result> offThread(QThreadPool *pool, Work work)
{
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    pool->start([promise, work = std::move(work)]() mutable {
        promise->addResult(work());
        promise->finish();
    });
    return future;
}

} // namespace vorno
