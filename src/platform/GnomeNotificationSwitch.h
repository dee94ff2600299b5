#pragma once

#include <QString>

namespace vorno::gnomeNotificationSwitch {

// Where GNOME keeps an application's notification settings: its desktop id
// lowercased, with every other character than a-z, 0-9 and '-' made '-'.
[[nodiscard]] QString settingsPath(const QString &desktopId);

// Whether the user left GNOME's switch for this application's notifications
// on. True outside GNOME, and where the schema is not installed.
[[nodiscard]] bool isOn(const QString &desktopId);

} // namespace vorno::gnomeNotificationSwitch
