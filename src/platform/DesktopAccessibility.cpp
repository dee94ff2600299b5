#include "platform/DesktopAccessibility.h"

#include "support/AccessibilitySettings.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace vorno {

namespace {

struct Setting
{
    const char *group;
    const char *key;
};

constexpr Setting watched[] = {
    {"org.gnome.desktop.interface", "enable-animations"},
    {"org.gnome.desktop.a11y.interface", "high-contrast"},
    {"org.kde.kdeglobals.KDE", "AnimationDurationFactor"},
    {"org.freedesktop.appearance", "contrast"},
};

// The portal wraps values in variants, sometimes twice.
QVariant unwrapped(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

DesktopAccessibility::DesktopAccessibility(AccessibilitySettings *target, QDBusConnection bus, QObject *parent)
    : QObject(parent), m_target(target), m_bus(std::move(bus))
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(service, path, interface, QStringLiteral("SettingChanged"), this, SLOT(settingChanged(QDBusMessage)));
    for (const Setting &setting : watched)
        read(QString::fromLatin1(setting.group), QString::fromLatin1(setting.key));
}

void DesktopAccessibility::read(const QString &group, const QString &key)
{
    // Asynchronous, so a slow or absent portal never holds up start-up.
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Read"));
    call << group << key;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, group, key] {
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (!reply.isError())
            take(group, key, reply.value().variant());
        watcher->deleteLater();
    });
}

void DesktopAccessibility::settingChanged(const QDBusMessage &message)
{
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() == 3)
        take(arguments.at(0).toString(), arguments.at(1).toString(), arguments.at(2));
}

void DesktopAccessibility::take(const QString &group, const QString &key, const QVariant &value)
{
    const QVariant plain = unwrapped(value);
    if (group == u"org.gnome.desktop.interface" && key == u"enable-animations")
        m_animationsOff = !plain.toBool();
    else if (group == u"org.gnome.desktop.a11y.interface" && key == u"high-contrast")
        m_highContrast = plain.toBool();
    else if (group == u"org.kde.kdeglobals.KDE" && key == u"AnimationDurationFactor")
        m_animationFactorZero = plain.toDouble() == 0.0;
    else if (group == u"org.freedesktop.appearance" && key == u"contrast")
        m_contrastMore = plain.toUInt() == 1;
    else
        return;
    publish();
}

void DesktopAccessibility::publish()
{
    if (!m_target)
        return;
    AccessibilitySettings::Values values = m_target->desktopValues();
    values.reduceMotion = m_animationsOff || m_animationFactorZero;
    values.increaseContrast = m_highContrast || m_contrastMore;
    m_target->setDesktopValues(values);
}

} // namespace vorno
