#pragma once

#include "AccessibilitySettings.h"
#include "DBusSessionWatcher.h"
#include "DesktopAccessibility.h"
#include "NotchController.h"
#include "X11DesktopWatcher.h"
#include "X11PanelWindowSystem.h"
#include "X11PointerMonitor.h"

namespace vorno {

// What the notch works with on an X11 desktop (XWayland included), for as
// long as the application runs.
struct X11Desktop
{
    X11Desktop();

    [[nodiscard]] NotchFacilities facilities();

    X11PointerMonitor pointer;
    X11DesktopWatcher watcher;
    DBusSessionWatcher session;
    X11PanelWindowSystem windows;
    AccessibilitySettings settings;
    DesktopAccessibility accessibility;
};

} // namespace vorno
