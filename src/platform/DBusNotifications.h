#pragma once

#include "platform/DesktopNotifications.h"

#include <QDBusConnection>
#include <QHash>

namespace vorno {

// org.freedesktop.Notifications on the session bus. Each alert carries a
// "default" action, so a click on it comes back as ActionInvoked; the server's
// ids are mapped back to ours until the alert is closed.
class DBusNotifications : public DesktopNotifications
{
    Q_OBJECT

public:
    explicit DBusNotifications(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    QCoro::Task<bool> available() override;
    QCoro::Task<bool> post(QString identifier, QString title, QString body) override;

    // What the alerts say about their sender to the server.
    static inline const QString applicationName = QStringLiteral("vorno");

private Q_SLOTS:
    void onActionInvoked(uint id, const QString &action);
    void onClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    QHash<uint, QString> m_identifiers;
};

} // namespace vorno
