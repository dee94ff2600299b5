#include "support/AccessibilitySettings.h"
#include "platform/DesktopAccessibility.h"
#include "PrivateSessionBus.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;

namespace {

// The desktop portal's Settings interface, with the values a test sets.
class FakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    QHash<QString, QVariant> values; // "group/key"

public Q_SLOTS:
    QDBusVariant Read(const QString &group, const QString &key)
    {
        const QString name = group + u'/' + key;
        if (!values.contains(name)) {
            // The real portal answers an unknown setting with an error.
            return QDBusVariant(QVariant());
        }
        // Wrapped twice, as the portal does.
        return QDBusVariant(QVariant::fromValue(QDBusVariant(values.value(name))));
    }
};

void announce(QDBusConnection &connection, const QString &group, const QString &key, const QVariant &value)
{
    QDBusMessage signal = QDBusMessage::createSignal(DesktopAccessibility::path, DesktopAccessibility::interface,
                                                     u"SettingChanged"_qs);
    signal << group << key << QVariant::fromValue(QDBusVariant(value));
    connection.send(signal);
}

} // namespace

class TestDesktopAccessibility : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsThePortal()
    {
        const PrivateSessionBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.error()));
        // The portal is a peer of its own on the bus, as on a desktop.
        QDBusConnection connection = QDBusConnection::connectToBus(QString::fromUtf8(bus.address()), u"portal"_qs);
        QVERIFY(connection.isConnected());
        FakePortal portal;
        portal.values.insert(u"org.gnome.desktop.interface/enable-animations"_qs, false);
        portal.values.insert(u"org.gnome.desktop.a11y.interface/high-contrast"_qs, false);
        QVERIFY(connection.registerObject(DesktopAccessibility::path, &portal, QDBusConnection::ExportAllSlots));
        QVERIFY(connection.registerService(DesktopAccessibility::service));

        AccessibilitySettings settings;
        const DesktopAccessibility desktop(&settings, QDBusConnection::sessionBus());
        QTRY_VERIFY(settings.reduceMotion());
        QVERIFY(!settings.increaseContrast());

        announce(connection, u"org.gnome.desktop.a11y.interface"_qs, u"high-contrast"_qs, true);
        QTRY_VERIFY(settings.increaseContrast());
        announce(connection, u"org.gnome.desktop.interface"_qs, u"enable-animations"_qs, true);
        QTRY_VERIFY(!settings.reduceMotion());
        // KDE says it with a factor of its animation durations.
        announce(connection, u"org.kde.kdeglobals.KDE"_qs, u"AnimationDurationFactor"_qs, 0.0);
        QTRY_VERIFY(settings.reduceMotion());
        announce(connection, u"org.gnome.desktop.a11y.interface"_qs, u"high-contrast"_qs, false);
        QTRY_VERIFY(!settings.increaseContrast());
        announce(connection, u"org.freedesktop.appearance"_qs, u"contrast"_qs, 1u);
        QTRY_VERIFY(settings.increaseContrast());
        QVERIFY(!settings.reduceTransparency());
        QDBusConnection::disconnectFromBus(u"portal"_qs);
    }

    void noPortalKeepsTheDefaults()
    {
        const PrivateSessionBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.error()));
        AccessibilitySettings settings({.increaseContrast = true});
        QSignalSpy changed(&settings, &AccessibilitySettings::changed);
        const DesktopAccessibility desktop(&settings, QDBusConnection::sessionBus());
        // The reads fail at once on a bus without the portal; nothing changes.
        QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_qs, u"/org/freedesktop/DBus"_qs,
                                           u"org.freedesktop.DBus.Peer"_qs, u"Ping"_qs));
        QCoreApplication::processEvents();
        QCOMPARE(changed.count(), 0);
        QVERIFY(settings.increaseContrast());
    }
};

QTEST_GUILESS_MAIN(TestDesktopAccessibility)
#include "TestDesktopAccessibility.moc"
