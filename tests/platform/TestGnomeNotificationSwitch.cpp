#include "platform/GnomeNotificationSwitch.h"
#include "DataCases.h"

#include <QTest>

#include <gio/gio.h>

using namespace vorno;

// GNOME's per-application switch for notifications, read from GSettings (an
// in-memory backend here, written as GNOME's settings would).
class TestGnomeNotificationSwitch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("GSETTINGS_BACKEND", "memory");
        GSettingsSchemaSource *source = g_settings_schema_source_get_default();
        GSettingsSchema *schema =
            source ? g_settings_schema_source_lookup(source, "org.gnome.desktop.notifications.application", TRUE) : nullptr;
        QVERIFY2(schema, "GNOME's notification schema is not installed (gsettings-desktop-schemas)");
        g_settings_schema_unref(schema);
    }

    void switchedOffOnlyOnGnome_data()
    {
        datacases::addTable(u"gnomenotificationswitch.json"_qs, u"switchedOffOnlyOnGnome"_qs);
    }

    void switchedOffOnlyOnGnome()
    {
        QFETCH(QByteArray, desktop);
        QFETCH(bool, switchedOff);
        QFETCH(bool, on);

        const QString id = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'.');
        const QByteArray path = gnomeNotificationSwitch::settingsPath(id).toUtf8();
        GSettings *settings = g_settings_new_with_path("org.gnome.desktop.notifications.application", path.constData());
        QVERIFY(g_settings_set_boolean(settings, "enable", !switchedOff));
        g_object_unref(settings);
        qputenv("XDG_CURRENT_DESKTOP", desktop);
        QCOMPARE(gnomeNotificationSwitch::isOn(id), on);
    }
};

QTEST_GUILESS_MAIN(TestGnomeNotificationSwitch)
#include "TestGnomeNotificationSwitch.moc"
