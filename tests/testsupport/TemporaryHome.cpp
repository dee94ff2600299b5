#include "TemporaryHome.h"

#include <QtGlobal>

TemporaryHome::TemporaryHome()
    : m_previousData(qgetenv("XDG_DATA_HOME")), m_previousConfig(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", configHome().toUtf8());
}

TemporaryHome::~TemporaryHome()
{
    qputenv("XDG_DATA_HOME", m_previousData);
    qputenv("XDG_CONFIG_HOME", m_previousConfig);
}
