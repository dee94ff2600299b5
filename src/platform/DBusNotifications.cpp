#include "platform/DBusNotifications.h"

#include "BuildConstants.h"
#include "platform/GnomeNotificationSwitch.h"

#include <QCoro/QCoroDBusPendingCall>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QPointer>

namespace vorno {

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");

QDBusMessage call(const QString &method)
{
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

} // namespace

DBusNotifications::DBusNotifications(QDBusConnection bus, QObject *parent)
    : DesktopNotifications(parent), m_bus(std::move(bus))
{
    m_bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                  SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this, SLOT(onClosed(uint, uint)));
}

QCoro::Task<bool> DBusNotifications::available()
{
    if (!m_bus.isConnected())
        co_return false;
    // A server that answers GetServerInformation is there; a bus that could
    // only start one on demand counts too, as the call starts it.
    QPointer<DBusNotifications> guard(this);
    const QDBusPendingReply<QString, QString, QString, QString> reply
        = co_await m_bus.asyncCall(call(QStringLiteral("GetServerInformation")), 5000);
    // GNOME Shell takes an alert the user switched off and shows it nowhere.
    co_return (guard && reply.isValid() && gnomeNotificationSwitch::isOn(QString::fromLatin1(build::appIdentifier)));
}

QCoro::Task<bool> DBusNotifications::post(QString identifier, QString title, QString body)
{
    if (!m_bus.isConnected())
        co_return false;
    QDBusMessage notify = call(QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(build::appIdentifier));
    notify << applicationName << uint(0) << QString::fromLatin1(build::appIdentifier) << title << body
           << QStringList {QStringLiteral("default"), title} << hints << int(-1);
    QPointer<DBusNotifications> guard(this);
    const QDBusPendingReply<uint> reply = co_await m_bus.asyncCall(notify, 5000);
    if (!guard || !reply.isValid())
        co_return false;
    m_identifiers.insert(reply.value(), identifier);
    co_return true;
}

void DBusNotifications::onActionInvoked(uint id, const QString &action)
{
    const auto found = m_identifiers.constFind(id);
    if (found == m_identifiers.constEnd() || action != u"default")
        return;
    Q_EMIT activated(*found);
}

void DBusNotifications::onClosed(uint id, uint)
{
    m_identifiers.remove(id);
}

} // namespace vorno
