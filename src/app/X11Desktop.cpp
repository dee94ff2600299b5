#include "app/X11Desktop.h"

#include <QProcessEnvironment>

namespace vorno {

X11Desktop::X11Desktop() : accessibility(&settings, QDBusConnection::sessionBus())
{
    settings.setEnvironment(QProcessEnvironment::systemEnvironment());
}

NotchFacilities X11Desktop::facilities()
{
    NotchFacilities result;
    result.pointer = &pointer;
    result.desktop = &watcher;
    result.session = &session;
    result.windows = &windows;
    result.settings = &settings;
    return result;
}

} // namespace vorno
