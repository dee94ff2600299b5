#include "DBusSessionWatcher.h"

namespace vorno {

DBusSessionWatcher::DBusSessionWatcher(QDBusConnection system, QDBusConnection session, QObject *parent)
    : SessionWatcher(parent)
{
    if (system.isConnected())
        system.connect(u"org.freedesktop.login1"_qs, u"/org/freedesktop/login1"_qs,
                       u"org.freedesktop.login1.Manager"_qs, u"PrepareForSleep"_qs, this, SLOT(sleepChanged(bool)));
    if (session.isConnected()) {
        session.connect({}, u"/org/freedesktop/ScreenSaver"_qs, u"org.freedesktop.ScreenSaver"_qs,
                        u"ActiveChanged"_qs, this, SLOT(lockChanged(bool)));
        session.connect({}, u"/org/gnome/ScreenSaver"_qs, u"org.gnome.ScreenSaver"_qs, u"ActiveChanged"_qs, this,
                        SLOT(lockChanged(bool)));
    }
}

void DBusSessionWatcher::sleepChanged(bool sleeping)
{
    if (sleeping)
        Q_EMIT asleep();
    else
        Q_EMIT awake();
}

void DBusSessionWatcher::lockChanged(bool locked)
{
    sleepChanged(locked);
}

} // namespace vorno
