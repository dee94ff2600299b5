#pragma once

#include <QString>

#include <optional>

namespace vorno {

// The user's preferences ("showNotch", "encouragementOS"), kept with QSettings
// under $XDG_CONFIG_HOME and read fresh on every access, so a change made by
// another process counts at once.
class UserDefaults
{
public:
    UserDefaults() = delete;

    static inline const QString showNotch = QStringLiteral("showNotch");
    static inline const QString encouragementOS = QStringLiteral("encouragementOS");

    // The value when it is a Boolean; a value of any other kind counts as absent.
    [[nodiscard]] static std::optional<bool> boolean(const QString &key);
    static void setBoolean(const QString &key, bool value);
};

} // namespace vorno
