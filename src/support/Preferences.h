#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>

#include <optional>

namespace vorno {

// The user's preferences, kept with QSettings under $XDG_CONFIG_HOME.
// Read once and again whenever the file changes (another process may write
// it), so asking costs nothing: the pointer path asks on every motion.
class Preferences : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool showNotch READ showNotch WRITE setShowNotch NOTIFY showNotchChanged)
    Q_PROPERTY(bool encouragementOS READ encouragementOS WRITE setEncouragementOS NOTIFY encouragementOSChanged)
    Q_PROPERTY(
        bool keepLoginInKeyring READ keepLoginInKeyring WRITE setKeepLoginInKeyring NOTIFY keepLoginInKeyringChanged)

public:
    explicit Preferences(QObject *parent = nullptr);

    // On when absent.
    [[nodiscard]] bool showNotch() const { return m_showNotch; }
    // Off when absent.
    [[nodiscard]] bool encouragementOS() const { return m_encouragementOS; }
    // Off when absent: the login goes to the keyring only by the user's choice.
    [[nodiscard]] bool keepLoginInKeyring() const { return m_keepLoginInKeyring; }

    void setShowNotch(bool on);
    void setEncouragementOS(bool on);
    void setKeepLoginInKeyring(bool on);

    // Reads the file again now.
    void reload();

Q_SIGNALS:
    void showNotchChanged();
    void encouragementOSChanged();
    void keepLoginInKeyringChanged();

private:
    void write(const QString &key, bool value);
    void watch();
    void apply(bool showNotch, bool encouragementOS, bool keepLoginInKeyring);

    QString m_path;
    QFileSystemWatcher m_watcher;
    bool m_showNotch = true;
    bool m_encouragementOS = false;
    bool m_keepLoginInKeyring = false;
};

} // namespace vorno
