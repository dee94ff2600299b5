#pragma once

#include <QCoreApplication>
#include <QMetaObject>

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>

namespace vorno {

// A result delivered exactly once to the one coroutine that awaits it. The
// first resolve() or fail() wins; later ones return false and change nothing.
// The waiter is resumed from the event loop, never from inside the call that
// delivered the result.
template<class T>
class OneShot
{
public:
    OneShot() : m_state(std::make_shared<State>()) { }

    [[nodiscard]] bool isDone() const { return m_state->done; }

    bool resolve(T value)
    {
        if (m_state->done)
            return false;
        m_state->value = std::move(value);
        complete();
        return true;
    }

    bool fail(std::exception_ptr error)
    {
        if (m_state->done)
            return false;
        m_state->error = std::move(error);
        complete();
        return true;
    }

    auto operator co_await() const
    {
        struct Awaiter
        {
            std::shared_ptr<State> state;
            [[nodiscard]] bool await_ready() const noexcept { return state->done; }
            void await_suspend(std::coroutine_handle<> waiter) noexcept { state->waiter = waiter; }
            T await_resume()
            {
                if (state->error)
                    std::rethrow_exception(state->error);
                return std::move(*state->value);
            }
        };
        return Awaiter {m_state};
    }

private:
    struct State
    {
        bool done = false;
        std::optional<T> value;
        std::exception_ptr error;
        std::coroutine_handle<> waiter;
    };

    void complete()
    {
        m_state->done = true;
        if (const std::coroutine_handle<> waiter = std::exchange(m_state->waiter, {})) {
            QMetaObject::invokeMethod(
                QCoreApplication::instance(), [waiter] { waiter.resume(); }, Qt::QueuedConnection);
        }
    }

    std::shared_ptr<State> m_state;
};

} // namespace vorno
