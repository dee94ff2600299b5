#pragma once

#include <QJsonArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// dunst on the process's session bus and X display, as a desktop's
// notification server; start it after the private desktop.
class NotificationDaemon
{
public:
    NotificationDaemon();
    ~NotificationDaemon();
    NotificationDaemon(const NotificationDaemon &) = delete;
    NotificationDaemon &operator=(const NotificationDaemon &) = delete;

    [[nodiscard]] bool isRunning() const { return m_error.isEmpty(); }
    [[nodiscard]] QString error() const { return m_error; }

    // Every notification received so far, newest first, as dunst reports
    // them (summary, body, appname … each an object with a "data" member).
    [[nodiscard]] QJsonArray received();
    // How many notifications are on screen now.
    [[nodiscard]] int shown();
    // Clicks the newest notification on screen (its default action).
    bool clickNewest();

private:
    bool control(const QStringList &arguments, QByteArray *output = nullptr);

    QTemporaryDir m_config;
    QProcess m_process;
    QString m_error;
};
