#pragma once

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <QCoro/QCoroTask>

namespace vorno {

// A shortcut the desktop fires from anywhere, through the desktop portal's
// org.freedesktop.portal.GlobalShortcuts: we suggest a trigger, the desktop
// asks the user and keeps it in its own settings. Nothing here grabs keys.
class GlobalShortcutsPortal : public QObject
{
    Q_OBJECT

public:
    enum class State {
        unknown,     // not asked yet
        unavailable, // no portal, or one without global shortcuts
        refused,     // the portal or the user declined
        bound,
    };

    explicit GlobalShortcutsPortal(QDBusConnection bus = QDBusConnection::sessionBus(), QObject *parent = nullptr);

    // Opens a session and binds one shortcut; ends when the desktop answered.
    QCoro::Task<> bind(QString id, QString description, QString preferredTrigger);

    [[nodiscard]] State state() const { return m_state; }
    // The trigger in the desktop's own words ("Ctrl+Alt+N"), when bound and told.
    [[nodiscard]] QString trigger() const { return m_trigger; }

Q_SIGNALS:
    void stateChanged();
    void activated(const QString &id);

private Q_SLOTS:
    void receiveActivated(const QDBusObjectPath &session, const QString &id, qulonglong timestamp,
                          const QVariantMap &options);

private:
    struct Answer
    {
        uint response = 2; // the portal's "ended some other way"
        QVariantMap results;
    };
    // Calls `method` with a new request token and waits for its Response.
    QCoro::Task<Answer> request(QString method, QVariantList arguments, QVariantMap options);
    void setState(State state);

    QDBusConnection m_bus;
    State m_state = State::unknown;
    QString m_trigger;
    QString m_session;
    int m_requests = 0;
};

} // namespace vorno
