#include "platform/ScreenSpace.h"

#include <QGuiApplication>
#include <QScreen>

namespace vorno {

ScreenSpace ScreenSpace::current()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    // QRect::bottom() is one less than the edge.
    return ScreenSpace(primary ? double(primary->geometry().y() + primary->geometry().height()) : 0);
}

} // namespace vorno
