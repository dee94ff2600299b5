#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QPointer>

namespace vorno {

class AccessibilitySettings;

// Feeds the desktop's reduced-motion and high-contrast settings into the
// shared AccessibilitySettings, through the desktop portal's Settings
// interface (GNOME, KDE and any desktop with a portal), and follows their
// changes. Without a portal the settings keep their defaults and overrides.
class DesktopAccessibility : public QObject
{
    Q_OBJECT

public:
    DesktopAccessibility(AccessibilitySettings *target, QDBusConnection bus, QObject *parent = nullptr);

    static inline const QString service = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString path = QStringLiteral("/org/freedesktop/portal/desktop");
    static inline const QString interface = QStringLiteral("org.freedesktop.portal.Settings");

private Q_SLOTS:
    void settingChanged(const QDBusMessage &message);

private:
    void read(const QString &group, const QString &key);
    void take(const QString &group, const QString &key, const QVariant &value);
    void publish();

    QPointer<AccessibilitySettings> m_target;
    QDBusConnection m_bus;
    bool m_animationsOff = false;       // GNOME enable-animations false
    bool m_animationFactorZero = false; // KDE AnimationDurationFactor 0
    bool m_highContrast = false;        // GNOME high-contrast
    bool m_contrastMore = false;        // freedesktop appearance contrast 1
};

} // namespace vorno
