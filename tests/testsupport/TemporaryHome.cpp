#include "TemporaryHome.h"

#include <QDir>
#include <QSettings>

namespace {

// QSettings fixes the user's directory once per process (Qt reads its own
// configuration with it at start), so the environment alone does not move it.
void pointSettingsAt(const QString &configHome)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       configHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : configHome);
}

TemporaryHome *innermost = nullptr;

} // namespace

TemporaryHome::TemporaryHome()
    : m_previousData(qgetenv("XDG_DATA_HOME")), m_previousConfig(qgetenv("XDG_CONFIG_HOME")), m_outer(innermost)
{
    if (m_outer)
        m_outer->m_inner = this;
    innermost = this;
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
    pointSettingsAt(configHome());
}

TemporaryHome::~TemporaryHome()
{
    if (m_outer)
        m_outer->m_inner = m_inner;
    if (m_inner) {
        // A newer home is in place: it restores, in the end, what this one found.
        m_inner->m_outer = m_outer;
        m_inner->m_previousData = m_previousData;
        m_inner->m_previousConfig = m_previousConfig;
        return;
    }
    innermost = m_outer;
    qputenv("XDG_DATA_HOME", m_previousData);
    qputenv("XDG_CONFIG_HOME", m_previousConfig);
    pointSettingsAt(QString::fromLocal8Bit(m_previousConfig));
}
