#pragma once

#include <QObject>

namespace vorno {

// Sleep and the screen lock: `asleep` when the computer is about to sleep or
// the session is locked, `awake` when it wakes or is unlocked.
class SessionWatcher : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

Q_SIGNALS:
    void asleep();
    void awake();
};

} // namespace vorno
