#pragma once

#include "platform/SessionWatcher.h"

#include <QDBusConnection>

namespace vorno {

// Sleep from logind (PrepareForSleep on the system bus) and the lock from the
// screen savers of the session bus (freedesktop and GNOME ActiveChanged).
// Buses that are not there are simply not heard. Awake only when the computer
// is neither sleeping nor locked.
class DBusSessionWatcher : public SessionWatcher
{
    Q_OBJECT

public:
    explicit DBusSessionWatcher(QDBusConnection system = QDBusConnection::systemBus(),
                                QDBusConnection session = QDBusConnection::sessionBus(), QObject *parent = nullptr);

private Q_SLOTS:
    void sleepChanged(bool sleeping);
    void lockChanged(bool locked);

private:
    void follow();

    bool m_sleeping = false;
    bool m_locked = false;
    bool m_away = false;
};

} // namespace vorno
