#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace vorno {

// The commands a desktop reaches from outside the panel: the tray menu, the
// menu entry's actions, `vorno --quick-record` and the global shortcut.
enum class AppCommand { quickRecord, addFiles, settings };

// Each command's name: the desktop action, the command-line option without
// its dashes, and the action name on org.freedesktop.Application.
[[nodiscard]] QString commandName(AppCommand command);
[[nodiscard]] std::optional<AppCommand> commandNamed(QStringView name);
inline constexpr std::array<AppCommand, 3> allCommands {AppCommand::quickRecord, AppCommand::addFiles,
                                                        AppCommand::settings};

} // namespace vorno
