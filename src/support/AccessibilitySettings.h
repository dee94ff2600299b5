#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class QProcessEnvironment;

namespace vorno {

// The three system settings every view honours. One object is shared by the
// whole interface; views repaint (and stop animating) as soon as it changes.
class AccessibilitySettings : public QObject
{
    Q_OBJECT

public:
    struct Values
    {
        bool reduceMotion = false;       // no movement, no scaling, no animation
        bool increaseContrast = false;   // stronger borders
        bool reduceTransparency = false; // solid surfaces

        friend bool operator==(const Values &, const Values &) = default;
    };

    explicit AccessibilitySettings(QObject *parent = nullptr);
    explicit AccessibilitySettings(Values values, QObject *parent = nullptr);

    [[nodiscard]] Values values() const { return m_values; }
    [[nodiscard]] bool reduceMotion() const { return m_values.reduceMotion; }
    [[nodiscard]] bool increaseContrast() const { return m_values.increaseContrast; }
    [[nodiscard]] bool reduceTransparency() const { return m_values.reduceTransparency; }

    // What the desktop says, then the VORNO_REDUCE_MOTION,
    // VORNO_INCREASE_CONTRAST and VORNO_REDUCE_TRANSPARENCY overrides ("1"
    // or "0"; anything else leaves the desktop's value).
    void setDesktopValues(Values desktop);
    [[nodiscard]] Values desktopValues() const { return m_desktop; }
    void setEnvironment(const QProcessEnvironment &environment);

Q_SIGNALS:
    void changed();

private:
    void update();

    Values m_desktop;
    Values m_values;
    QHash<QString, bool> m_overrides;
};

} // namespace vorno
