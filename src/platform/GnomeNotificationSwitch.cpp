#include "platform/GnomeNotificationSwitch.h"

#include <QtGlobal>

#include <gio/gio.h>

namespace vorno::gnomeNotificationSwitch {

namespace {

constexpr char schemaId[] = "org.gnome.desktop.notifications.application";

} // namespace

QString settingsPath(const QString &desktopId)
{
    QString id = desktopId.toLower();
    if (id.endsWith(u".desktop"))
        id.chop(8);
    for (QChar &c : id) {
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-'))
            c = u'-';
    }
    return QStringLiteral("/org/gnome/desktop/notifications/application/%1/").arg(id);
}

bool isOn(const QString &desktopId)
{
    // Elsewhere the setting means nothing, and GSettings may warn about a
    // missing backend.
    if (!qEnvironmentVariable("XDG_CURRENT_DESKTOP").contains(u"GNOME", Qt::CaseInsensitive))
        return true;
    GSettingsSchemaSource *source = g_settings_schema_source_get_default();
    GSettingsSchema *schema = source ? g_settings_schema_source_lookup(source, schemaId, TRUE) : nullptr;
    if (!schema)
        return true;
    const QByteArray path = settingsPath(desktopId).toUtf8();
    GSettings *settings = g_settings_new_full(schema, nullptr, path.constData());
    const bool on = g_settings_get_boolean(settings, "enable");
    g_object_unref(settings);
    g_settings_schema_unref(schema);
    return on;
}

} // namespace vorno::gnomeNotificationSwitch
