#include "support/Preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace vorno {

namespace {

const QString organization = QStringLiteral("vorno");
const QString application = QStringLiteral("app.vorno.desktop");
const QString showNotchKey = QStringLiteral("showNotch");
const QString encouragementOSKey = QStringLiteral("encouragementOS");
const QString keepLoginInKeyringKey = QStringLiteral("keepLoginInKeyring");

QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organization, application);
}

// The value when it is a Boolean; a value of any other kind counts as absent.
std::optional<bool> boolean(const QSettings &store, const QString &key)
{
    const QVariant value = store.value(key);
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    // The INI format keeps Booleans as the words true and false.
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString();
        if (text == u"true")
            return true;
        if (text == u"false")
            return false;
    }
    return std::nullopt;
}

} // namespace

Preferences::Preferences(QObject *parent) : QObject(parent), m_path(settings().fileName())
{
    // QSettings replaces the file by renaming over it, which ends a watch on
    // the file itself: the directory tells when it comes back.
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &Preferences::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &Preferences::reload);
    reload();
}

void Preferences::reload()
{
    watch();
    QSettings store = settings();
    store.sync(); // what another process wrote
    apply(boolean(store, showNotchKey).value_or(true), boolean(store, encouragementOSKey).value_or(false),
          boolean(store, keepLoginInKeyringKey).value_or(false));
}

void Preferences::watch()
{
    const QFileInfo file(m_path);
    // The directory may not exist until the first write.
    if (!file.dir().exists())
        QDir().mkpath(file.absolutePath());
    if (!m_watcher.directories().contains(file.absolutePath()))
        m_watcher.addPath(file.absolutePath());
    if (file.exists() && !m_watcher.files().contains(m_path))
        m_watcher.addPath(m_path);
}

void Preferences::apply(bool showNotch, bool encouragementOS, bool keepLoginInKeyring)
{
    const bool notchMoved = showNotch != m_showNotch;
    const bool alertsMoved = encouragementOS != m_encouragementOS;
    const bool keyringMoved = keepLoginInKeyring != m_keepLoginInKeyring;
    m_showNotch = showNotch;
    m_encouragementOS = encouragementOS;
    m_keepLoginInKeyring = keepLoginInKeyring;
    if (notchMoved)
        Q_EMIT showNotchChanged();
    if (alertsMoved)
        Q_EMIT encouragementOSChanged();
    if (keyringMoved)
        Q_EMIT keepLoginInKeyringChanged();
}

void Preferences::setShowNotch(bool on)
{
    write(showNotchKey, on);
    apply(on, m_encouragementOS, m_keepLoginInKeyring);
}

void Preferences::setEncouragementOS(bool on)
{
    write(encouragementOSKey, on);
    apply(m_showNotch, on, m_keepLoginInKeyring);
}

void Preferences::setKeepLoginInKeyring(bool on)
{
    write(keepLoginInKeyringKey, on);
    apply(m_showNotch, m_encouragementOS, on);
}

void Preferences::write(const QString &key, bool value)
{
    QSettings store = settings();
    store.setValue(key, value);
    store.sync();
    watch();
}

} // namespace vorno
