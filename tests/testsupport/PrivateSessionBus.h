#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A D-Bus session bus of the test's own, made the process's session bus for
// the life of the object, optionally with an unlocked gnome-keyring.
class PrivateSessionBus
{
public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;

    [[nodiscard]] bool isRunning() const { return !m_address.isEmpty(); }
    [[nodiscard]] QByteArray address() const { return m_address; }
    [[nodiscard]] QString error() const { return m_error; }

    // Starts gnome-keyring-daemon's Secret Service on this bus with a new,
    // unlocked login keyring. False (and error()) when it cannot.
    bool startKeyring();

private:
    QTemporaryDir m_home;
    QProcess m_bus;
    QProcess m_keyring;
    QByteArray m_address;
    QString m_error;
    QByteArray m_previousAddress;
};
