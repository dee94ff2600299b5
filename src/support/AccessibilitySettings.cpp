#include "support/AccessibilitySettings.h"

#include <QProcessEnvironment>

namespace vorno {

namespace {

const QString reduceMotionKey = QStringLiteral("VORNO_REDUCE_MOTION");
const QString increaseContrastKey = QStringLiteral("VORNO_INCREASE_CONTRAST");
const QString reduceTransparencyKey = QStringLiteral("VORNO_REDUCE_TRANSPARENCY");

} // namespace

AccessibilitySettings::AccessibilitySettings(QObject *parent) : AccessibilitySettings(Values {}, parent)
{
}

AccessibilitySettings::AccessibilitySettings(Values values, QObject *parent)
    : QObject(parent), m_desktop(values), m_values(values)
{
}

void AccessibilitySettings::setDesktopValues(Values desktop)
{
    m_desktop = desktop;
    update();
}

void AccessibilitySettings::setEnvironment(const QProcessEnvironment &environment)
{
    m_overrides.clear();
    for (const QString &key : {reduceMotionKey, increaseContrastKey, reduceTransparencyKey}) {
        const QString value = environment.value(key);
        if (value == u"1" || value == u"0")
            m_overrides.insert(key, value == u"1");
    }
    update();
}

void AccessibilitySettings::update()
{
    const Values next {
        .reduceMotion = m_overrides.value(reduceMotionKey, m_desktop.reduceMotion),
        .increaseContrast = m_overrides.value(increaseContrastKey, m_desktop.increaseContrast),
        .reduceTransparency = m_overrides.value(reduceTransparencyKey, m_desktop.reduceTransparency),
    };
    if (next == m_values)
        return;
    m_values = next;
    Q_EMIT changed();
}

} // namespace vorno
