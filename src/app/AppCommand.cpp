#include "app/AppCommand.h"

namespace vorno {

QString commandName(AppCommand command)
{
    switch (command) {
    case AppCommand::quickRecord:
        return QStringLiteral("quick-record");
    case AppCommand::addFiles:
        return QStringLiteral("add-files");
    case AppCommand::settings:
        break;
    }
    return QStringLiteral("settings");
}

std::optional<AppCommand> commandNamed(QStringView name)
{
    for (const AppCommand command : allCommands) {
        if (name == commandName(command))
            return command;
    }
    return std::nullopt;
}

} // namespace vorno
