#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points the XDG data and config directories into a fresh temporary directory
// for the life of the object, and restores the previous values afterwards.
class TemporaryHome
{
public:
    TemporaryHome();
    ~TemporaryHome();
    TemporaryHome(const TemporaryHome &) = delete;
    TemporaryHome &operator=(const TemporaryHome &) = delete;

    [[nodiscard]] bool isValid() const { return m_dir.isValid(); }
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString dataHome() const { return m_dir.path() + QStringLiteral("/data"); }
    [[nodiscard]] QString configHome() const { return m_dir.path() + QStringLiteral("/config"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previousData;
    QByteArray m_previousConfig;
};
