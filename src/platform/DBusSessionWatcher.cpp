#include "platform/DBusSessionWatcher.h"

namespace vorno {

DBusSessionWatcher::DBusSessionWatcher(QDBusConnection system, QDBusConnection session, QObject *parent)
    : SessionWatcher(parent)
{
    if (system.isConnected())
        system.connect(u"org.freedesktop.login1"_qs, u"/org/freedesktop/login1"_qs,
                       u"org.freedesktop.login1.Manager"_qs, u"PrepareForSleep"_qs, this, SLOT(sleepChanged(bool)));
    if (session.isConnected()) {
        session.connect({}, u"/org/freedesktop/ScreenSaver"_qs, u"org.freedesktop.ScreenSaver"_qs, u"ActiveChanged"_qs,
                        this, SLOT(lockChanged(bool)));
        session.connect({}, u"/org/gnome/ScreenSaver"_qs, u"org.gnome.ScreenSaver"_qs, u"ActiveChanged"_qs, this,
                        SLOT(lockChanged(bool)));
    }
}

void DBusSessionWatcher::sleepChanged(bool sleeping)
{
    m_sleeping = sleeping;
    follow();
}

void DBusSessionWatcher::lockChanged(bool locked)
{
    m_locked = locked;
    follow();
}

void DBusSessionWatcher::follow()
{
    // Waking from sleep behind the lock screen is not being back.
    const bool away = m_sleeping || m_locked;
    if (away == m_away)
        return;
    m_away = away;
    if (away)
        Q_EMIT asleep();
    else
        Q_EMIT awake();
}

} // namespace vorno
