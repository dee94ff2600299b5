#pragma once

#include <QCoro/QCoroTask>

namespace vorno {

// The desktop's notification service, as the preferences and the alerts use
// it: whether alerts may be shown, asking for that, and a test alert.
class NotificationCenter
{
public:
    enum class Authorization { authorized, denied, unknown };

    virtual ~NotificationCenter() = default;

    // False where the desktop offers no notification settings to read.
    [[nodiscard]] virtual bool hasSettings() const = 0;
    [[nodiscard]] virtual QCoro::Task<Authorization> authorization() = 0;
    // Whether alerts were allowed; an error counts as not allowed.
    [[nodiscard]] virtual QCoro::Task<bool> requestAuthorization() = 0;
    // Posts the private test alert; whether it was accepted.
    [[nodiscard]] virtual QCoro::Task<bool> sendTest() = 0;
};

} // namespace vorno
