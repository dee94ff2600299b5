#pragma once

#include "AwaitTask.h"

#include <QString>

#include <chrono>
#include <exception>

// What a call ended in, as one comparable word: "ok", a cloud failure's name,
// "server:<code>", "changed", "storage unavailable", "decoding", "file error", "cancelled",
// a transport error's kind ("network", "timeout", "tooLarge") or, for
// anything else, the exception's own message.
namespace testsupport {

[[nodiscard]] QString outcomeOf(const std::exception_ptr &error);

template<class Call>
QString outcome(Call call)
{
    try {
        call();
        return QStringLiteral("ok");
    } catch (...) {
        return outcomeOf(std::current_exception());
    }
}

template<class T>
QString outcome(QCoro::Task<T> task, std::chrono::milliseconds watchdog = std::chrono::seconds(60))
{
    return outcome([&task, watchdog] { (void)awaitTask(std::move(task), watchdog); });
}

} // namespace testsupport

using testsupport::outcome;
