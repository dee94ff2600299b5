#pragma once

#include "app/NotchController.h"
#include "platform/DBusSessionWatcher.h"
#include "platform/DesktopAccessibility.h"
#include "platform/X11DesktopWatcher.h"
#include "platform/X11PanelWindowSystem.h"
#include "platform/X11PointerMonitor.h"
#include "support/AccessibilitySettings.h"

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
