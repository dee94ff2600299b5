#pragma once

#include "platform/NotificationCenter.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <optional>

namespace vorno {

class DesktopNotifications;
class Preferences;
struct EncouragementNote;

// The private desktop alerts of encouragement: an alert says only that a
// recognition is waiting, never the message, and a click on it opens the
// account page where the message is. Also the preferences' notification centre.
class EncouragementAlerts : public QObject, public NotificationCenter
{
    Q_OBJECT

public:
    static inline const QString prefix = QStringLiteral("vorno-recognition-");
    static inline const QString testIdentifier = QStringLiteral("vorno-recognition-test");

    struct Request
    {
        QString identifier;
        QString title;
        QString body;
    };

    using Opener = std::function<bool(const QUrl &)>;

    // `open` defaults to the desktop's browser; `origin` to the build's web origin.
    // `preferences` tells whether the user allows desktop alerts.
    EncouragementAlerts(DesktopNotifications *desktop, Preferences *preferences, Opener open = {}, QUrl origin = {},
                        QObject *parent = nullptr);

    [[nodiscard]] QCoro::Task<bool> allowed();
    // Posts the private alert for `note`; whether one was posted. A note that
    // is no longer valid, or alerts not allowed, post nothing.
    QCoro::Task<bool> send(EncouragementNote note);
    // The preferences' test alert: only while the user allows desktop alerts.
    QCoro::Task<bool> test();

    [[nodiscard]] static Request testRequest();
    [[nodiscard]] static std::optional<QUrl> destination(const QString &identifier, const QUrl &origin);

    // NotificationCenter
    [[nodiscard]] bool hasSettings() const override { return true; }
    QCoro::Task<Authorization> authorization() override;
    QCoro::Task<bool> requestAuthorization() override;
    QCoro::Task<bool> sendTest() override { return test(); }

private:
    void onActivated(const QString &identifier);

    QPointer<DesktopNotifications> m_desktop;
    QPointer<Preferences> m_preferences;
    Opener m_open;
    QUrl m_origin;
};

} // namespace vorno
