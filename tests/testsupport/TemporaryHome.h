#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Points the XDG data and config directories (and QSettings) into a fresh
// temporary directory for the life of the object, and restores the previous
// values afterwards. A new home may replace a live one (`home = make_unique…`):
// the older one's end then leaves the newer one in place.
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
    TemporaryHome *m_outer = nullptr; // the home that was in place before this one
    TemporaryHome *m_inner = nullptr; // the home made while this one was in place
};
