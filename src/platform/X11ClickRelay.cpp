#include "platform/X11ClickRelay.h"

#include "platform/X11Connection.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

namespace vorno {

namespace {

double fromFixed(int32_t value)
{
    return double(value) / 65536.0;
}

Qt::MouseButton buttonOf(uint32_t detail)
{
    switch (detail) {
    case 1:
        return Qt::LeftButton;
    case 2:
        return Qt::MiddleButton;
    case 3:
        return Qt::RightButton;
    default:
        return Qt::NoButton; // wheels and extra buttons: Qt's business
    }
}

Qt::KeyboardModifiers modifiersOf(uint32_t state)
{
    Qt::KeyboardModifiers modifiers;
    if (state & XCB_MOD_MASK_SHIFT)
        modifiers |= Qt::ShiftModifier;
    if (state & XCB_MOD_MASK_CONTROL)
        modifiers |= Qt::ControlModifier;
    if (state & XCB_MOD_MASK_1)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

} // namespace

X11ClickRelay::X11ClickRelay()
{
    xcb_connection_t *c = X11Connection::get();
    if (!c)
        return;
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(c, &xcb_input_id);
    if (!extension || !extension->present)
        return;
    m_opcode = extension->major_opcode;
    qGuiApp->installNativeEventFilter(this);
    m_installed = true;
}

X11ClickRelay::~X11ClickRelay()
{
    if (m_installed && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

bool X11ClickRelay::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !m_window || !m_window->handle())
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    if ((event->response_type & 0x7f) != XCB_GE_GENERIC)
        return false;
    const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
    if (generic->extension != m_opcode
        || (generic->event_type != XCB_INPUT_BUTTON_PRESS && generic->event_type != XCB_INPUT_BUTTON_RELEASE))
        return false;
    const auto *button = static_cast<const xcb_input_button_press_event_t *>(message);
    // A master pointer's event names the device it came from in `sourceid`;
    // Qt handles those itself.
    if (button->event != xcb_window_t(m_window->winId()) || button->deviceid != button->sourceid)
        return false;
    const Qt::MouseButton which = buttonOf(button->detail);
    if (which == Qt::NoButton)
        return false;
    const bool press = generic->event_type == XCB_INPUT_BUTTON_PRESS;
    const double ratio = m_window->devicePixelRatio();
    const QPointF local(fromFixed(button->event_x) / ratio, fromFixed(button->event_y) / ratio);
    const QPointF global(fromFixed(button->root_x) / ratio, fromFixed(button->root_y) / ratio);
    QMouseEvent mouse(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, local, local, global, which,
                      press ? Qt::MouseButtons(which) : Qt::NoButton, modifiersOf(button->mods.effective));
    mouse.setTimestamp(button->time);
    QCoreApplication::sendEvent(m_window, &mouse);
    return true;
}

} // namespace vorno
