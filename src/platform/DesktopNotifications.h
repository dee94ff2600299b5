#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

namespace vorno {

// The desktop's notification server: whether one is there to show alerts,
// posting one, and the user's click on one, named by our own identifier.
class DesktopNotifications : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether alerts reach the user now (a server is present and lets us).
    [[nodiscard]] virtual QCoro::Task<bool> available() = 0;
    // Shows an alert at once; whether the server took it. Our identifier
    // comes back with `activated` when the user clicks the alert.
    [[nodiscard]] virtual QCoro::Task<bool> post(QString identifier, QString title, QString body) = 0;

Q_SIGNALS:
    void activated(const QString &identifier);
};

} // namespace vorno
