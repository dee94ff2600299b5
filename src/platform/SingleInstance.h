#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QUrl>
#include <QVariantMap>

namespace vorno {

// One running instance per user session. The first owns the app identifier's
// name on the session bus and serves org.freedesktop.Application there; a
// later start hands its URLs (or a plain reopen) to it and ends. URLs that
// arrive this way are untrusted: whoever receives them checks them.
class SingleInstance : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    enum class Role { first, forwarded, failed };

    explicit SingleInstance(QString name = {}, QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject *parent = nullptr);
    ~SingleInstance() override;

    // Claims the name, or forwards `urls` (or the `action`) to the instance
    // that holds it. A `background` start (at login) that finds one running
    // opens nothing there.
    Role start(const QStringList &urls, bool background = false, const QString &action = {});
    // Why start() failed, as one line for the user.
    [[nodiscard]] QString error() const { return m_error; }
    // The object path of the name (dots become slashes).
    [[nodiscard]] QString objectPath() const;

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData);
    Q_SCRIPTABLE void Open(const QStringList &uris, const QVariantMap &platformData);
    Q_SCRIPTABLE void ActivateAction(const QString &action, const QVariantList &parameter,
                                     const QVariantMap &platformData);

    // The launcher's activation token in `platformData`, when it is one a
    // window system would take (printable ASCII, no spaces or quotes); else empty.
    [[nodiscard]] static QByteArray activationToken(const QVariantMap &platformData);

Q_SIGNALS:
    // `token`: the launcher's activation token for the window that answers, or empty.
    void reopened(const QByteArray &token);
    void opened(const QStringList &urls, const QByteArray &token);
    // An action by name (unchecked: whoever receives it decides).
    void actionActivated(const QString &action, const QByteArray &token);

private:
    Role forward(const QStringList &urls, bool background, const QString &action);

    QString m_name;
    QDBusConnection m_bus;
    bool m_owner = false;
    QString m_error;
};

} // namespace vorno
