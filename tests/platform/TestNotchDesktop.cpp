#include "support/AccessibilitySettings.h"
#include "stores/CaptureStore.h"
#include "app/InputPanel.h"
#include "app/NotchController.h"
#include "views/NotchPresentation.h"
#include "PrivateDesktop.h"
#include "platform/ScreenSpace.h"
#include "ScriptedCapture.h"
#include "ScriptedNotificationCenter.h"
#include "platform/SessionWatcher.h"
#include "TemporaryHome.h"
#include "platform/X11ClickRelay.h"
#include "platform/X11Connection.h"
#include "platform/X11DesktopWatcher.h"
#include "platform/X11PanelWindowSystem.h"
#include "platform/X11PointerMonitor.h"
#include "XTestInput.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <cstdlib>

#include <xcb/xinput.h>

using namespace vorno;
using namespace XTestInput;

namespace {

std::vector<uint32_t> cardinals(QWindow *window, const char *name, xcb_atom_t type)
{
    xcb_connection_t *c = X11Connection::get();
    return X11Connection::property32(c, xcb_window_t(window->winId()), X11Connection::atom(c, name), type);
}

bool isViewable(QWindow *window)
{
    xcb_connection_t *c = X11Connection::get();
    auto *attributes = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, xcb_window_t(window->winId())), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    free(attributes);
    return viewable;
}

PrivateDesktop *desktop = nullptr;

} // namespace

// The notch on a real X server with a window manager: full screen hides it,
// it stays on every workspace and follows the screens, and a click replayed
// for the pointer's own device opens it.
class TestNotchDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_capture = std::make_unique<ScriptedCapture>(m_home->path(), false);
        m_pointer = std::make_unique<X11PointerMonitor>();
        m_desktop = std::make_unique<X11DesktopWatcher>();
        moveTo({900, 900});
    }

    void cleanup()
    {
        m_controller.reset();
        m_below.reset();
        m_desktop.reset();
        m_pointer.reset();
        m_capture.reset();
        m_home.reset();
    }

    void fullScreenHidesTheNotch()
    {
        QVERIFY(start());
        QVERIFY(m_controller->panel()->isVisible());
        QWidget film;
        film.showFullScreen();
        film.activateWindow();
        QTRY_VERIFY(m_desktop->fullScreenActive());
        QTRY_VERIFY(!m_controller->panel()->isVisible());
        film.close();
        m_below->activateWindow();
        QTRY_VERIFY(m_controller->panel()->isVisible());
    }

    void onEveryWorkspaceAboveOtherWindows()
    {
        QVERIFY(start());
        QWindow *panel = m_controller->panel()->windowHandle();
        QTRY_VERIFY(cardinals(panel, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL) == std::vector<uint32_t> {0xFFFFFFFF});
        xcb_connection_t *c = X11Connection::get();
        const auto states = cardinals(panel, "_NET_WM_STATE", XCB_ATOM_ATOM);
        QVERIFY(std::find(states.begin(), states.end(), X11Connection::atom(c, "_NET_WM_STATE_ABOVE")) != states.end());

        QVERIFY(desktop->run(u"xdotool"_qs, {u"set_desktop"_qs, u"1"_qs}));
        QTRY_VERIFY(!isViewable(m_below->windowHandle()));
        QVERIFY(isViewable(panel));
        QVERIFY(desktop->run(u"xdotool"_qs, {u"set_desktop"_qs, u"0"_qs}));
        QTRY_VERIFY(isViewable(m_below->windowHandle()));
    }

    void followsTheScreens()
    {
        QVERIFY(start());
        const int wide = QGuiApplication::primaryScreen()->geometry().width();
        QCOMPARE(canvasMiddle(), wide / 2);
        // Split the one output into two monitors, the left one primary.
        QVERIFY(desktop->run(u"xrandr"_qs, {u"--setmonitor"_qs, u"*left"_qs, u"%1/300x1080/300+0+0"_qs.arg(wide / 2), u"none"_qs}));
        QVERIFY(desktop->run(u"xrandr"_qs, {u"--setmonitor"_qs, u"right"_qs, u"%1/300x1080/300+%1+0"_qs.arg(wide / 2), u"none"_qs}));
        QTRY_VERIFY(QGuiApplication::screens().size() > 1);
        const qsizetype split = QGuiApplication::screens().size();
        QTRY_COMPARE(canvasMiddle(), QGuiApplication::primaryScreen()->geometry().x() + QGuiApplication::primaryScreen()->geometry().width() / 2);
        QVERIFY(canvasMiddle() < wide / 2);
        QVERIFY(desktop->run(u"xrandr"_qs, {u"--delmonitor"_qs, u"right"_qs}));
        QVERIFY(desktop->run(u"xrandr"_qs, {u"--delmonitor"_qs, u"left"_qs}));
        QTRY_VERIFY(QGuiApplication::screens().size() < split);
        QTRY_COMPARE(canvasMiddle(), wide / 2);
    }

    // Mutter, focusing on click, lets the press through for the pointer's own
    // device rather than the master pointer; Qt drops such events.
    void aClickPassedOnForThePointersOwnDeviceOpens()
    {
        QVERIFY(start());
        moveTo(compactCentre());
        QTRY_VERIFY(m_controller->presentation()->revealed());
        X11ClickRelay relay;
        relay.follow(m_controller->panel()->windowHandle());
        xcb_connection_t *c = X11Connection::get();
        const QPoint local = m_controller->panel()->mapFromGlobal(compactCentre());
        for (const uint16_t type : {uint16_t(XCB_INPUT_BUTTON_PRESS), uint16_t(XCB_INPUT_BUTTON_RELEASE)}) {
            xcb_input_button_press_event_t button {};
            button.response_type = XCB_GE_GENERIC;
            button.extension = xcb_get_extension_data(c, &xcb_input_id)->major_opcode;
            button.event_type = type;
            button.deviceid = button.sourceid = 4; // a slave pointer, as after Mutter's replay
            button.detail = 1;
            button.event = xcb_window_t(m_controller->panel()->winId());
            button.event_x = local.x() * 65536;
            button.event_y = local.y() * 65536;
            button.root_x = compactCentre().x() * 65536;
            button.root_y = compactCentre().y() * 65536;
            QVERIFY(relay.nativeEventFilter("xcb_generic_event_t", &button, nullptr));
        }
        QVERIFY(m_capture->store->isExpanded());
        // A master pointer's click is Qt's own.
        xcb_input_button_press_event_t master {};
        master.response_type = XCB_GE_GENERIC;
        master.extension = xcb_get_extension_data(c, &xcb_input_id)->major_opcode;
        master.event_type = XCB_INPUT_BUTTON_PRESS;
        master.deviceid = 2;
        master.sourceid = 4;
        master.detail = 1;
        master.event = xcb_window_t(m_controller->panel()->winId());
        QVERIFY(!relay.nativeEventFilter("xcb_generic_event_t", &master, nullptr));
    }

private:
    [[nodiscard]] bool start(bool reduceMotion = true)
    {
        m_settings = std::make_unique<AccessibilitySettings>(AccessibilitySettings::Values {.reduceMotion = reduceMotion});
        // A normal window under the top of the screen, opened first.
        m_below = std::make_unique<QWidget>();
        m_below->setGeometry(0, 0, QGuiApplication::primaryScreen()->geometry().width(), 700);
        m_below->show();
        // Active first: a click on an inactive window goes through the window manager's focus grab.
        if (!QTest::qWaitForWindowActive(m_below.get())) {
            qWarning("the window below the notch was not shown");
            return false;
        }
        m_controller = std::make_unique<NotchController>(
            m_capture->store.get(),
            NotchFacilities {m_pointer.get(), m_desktop.get(), &m_session, &m_windows, m_settings.get(), {&m_notifications}});
        if (!QTest::qWaitForWindowExposed(m_controller->panel())) {
            qWarning("the notch panel was not shown");
            return false;
        }
        return m_pointer->seesEverywhere();
    }

    [[nodiscard]] QRect canvas() const { return m_controller->panel()->geometry(); }
    [[nodiscard]] int canvasMiddle() const { return canvas().x() + canvas().width() / 2; }

    [[nodiscard]] QPoint compactCentre() const
    {
        const QRectF compact = ScreenSpace::current().toQt(m_controller->presentation()->layout().compact.frame);
        return compact.center().toPoint();
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedCapture> m_capture;
    std::unique_ptr<X11PointerMonitor> m_pointer;
    std::unique_ptr<X11DesktopWatcher> m_desktop;
    SessionWatcher m_session;
    X11PanelWindowSystem m_windows;
    ScriptedNotificationCenter m_notifications;
    std::unique_ptr<AccessibilitySettings> m_settings;
    std::unique_ptr<NotchController> m_controller;
    std::unique_ptr<QWidget> m_below;
};

int main(int argc, char **argv)
{
    PrivateDesktop privateDesktop(QSize(2560, 1080));
    if (!privateDesktop.isRunning()) {
        std::fprintf(stderr, "TestNotchDesktop: %s\n", qPrintable(privateDesktop.error()));
        return 1;
    }
    desktop = &privateDesktop;
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    if (QGuiApplication::platformName() != u"xcb") {
        std::fprintf(stderr, "TestNotchDesktop: Qt runs on %s, not X\n", qPrintable(QGuiApplication::platformName()));
        return 1;
    }
    TestNotchDesktop test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestNotchDesktop.moc"
