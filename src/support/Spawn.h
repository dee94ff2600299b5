#pragma once

#include <QCoro/QCoroTask>

#include <exception>
#include <functional>

namespace vorno {

// Called with whatever a spawned task threw; cancellations are not reported.
using TaskErrorHandler = std::function<void(std::exception_ptr)>;

namespace detail {
QCoro::Task<> runSpawned(QCoro::Task<> task, TaskErrorHandler onError);
void reportSpawnFailure(const std::exception_ptr &error, const TaskErrorHandler &onError);

template<class T>
QCoro::Task<> discardResult(QCoro::Task<T> task)
{
    co_await std::move(task);
}
} // namespace detail

// Starts `task` without awaiting it. Whatever it throws is caught: handed to
// `onError` when given, else logged as a warning (never silently lost).
inline void spawn(QCoro::Task<> task, TaskErrorHandler onError = {})
{
    // The wrapper catches everything, so dropping its handle loses nothing.
    (void)detail::runSpawned(std::move(task), std::move(onError));
}

template<class T>
void spawn(QCoro::Task<T> task, TaskErrorHandler onError = {})
{
    spawn(detail::discardResult(std::move(task)), std::move(onError));
}

} // namespace vorno
