#include "support/AccessibilitySettings.h"
#include "DataCases.h"
#include "ManualClock.h"
#include "support/CancelledError.h"
#include "stores/CaptureStore.h"
#include "stores/AccountEncouragement.h"
#include "stores/CloudStore.h"
#include "platform/DesktopWatcher.h"
#include "app/InputPanel.h"
#include "app/NotchController.h"
#include "views/NotchPresentation.h"
#include "platform/PanelWindowSystem.h"
#include "platform/PointerMonitor.h"
#include "platform/ScreenSpace.h"
#include "ScriptedCapture.h"
#include "ScriptedNotificationCenter.h"
#include "platform/SessionWatcher.h"
#include "TemporaryHome.h"

#include <QCoro/QCoroSignal>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

class Pointer : public PointerMonitor
{
public:
    QPoint at {-1, -1};
    bool everywhere = true;
    [[nodiscard]] QPoint position() const override { return at; }
    [[nodiscard]] bool seesEverywhere() const override { return everywhere; }
    void moveTo(QPoint point)
    {
        at = point;
        Q_EMIT moved(point);
    }
};

class Desktop : public DesktopWatcher
{
public:
    bool fullScreen = false;
    bool compositor = true;
    [[nodiscard]] bool fullScreenActive() const override { return fullScreen; }
    [[nodiscard]] bool compositing() const override { return compositor; }
    void setFullScreen(bool value)
    {
        fullScreen = value;
        Q_EMIT fullScreenChanged();
    }
    void setCompositing(bool value)
    {
        compositor = value;
        Q_EMIT compositingChanged();
    }
};

class Windows : public PanelWindowSystem
{
public:
    QRegion region;
    std::optional<QRegion> shown; // none: the whole window
    int placed = 0;
    void placeOnEveryWorkspace(QWindow *) override { ++placed; }
    void deliverEveryClick(QWindow *) override { }
    void setInputRegion(QWindow *, const QRegion &value) override { region = value; }
    void setVisibleRegion(QWindow *, const std::optional<QRegion> &value) override { shown = value; }
    QList<QByteArray> activations;
    void activate(QWindow *, const QByteArray &token) override { activations.append(token); }
};

} // namespace

// The panel controller with every desktop facility replaced: placement and
// visibility rules, reveal timing, the header's click rules and sleep.
class TestNotchController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_notchOn = true;
        m_desktop.fullScreen = false;
        m_desktop.compositor = true;
        m_pointer.at = {-1, -1};
        m_pointer.everywhere = true;
        m_windows = {};
        m_capture = std::make_unique<ScriptedCapture>(m_home->path(), false, nullptr, nullptr, [this] { return m_notchOn; });
        m_store = m_capture->store.get();
    }

    void cleanup()
    {
        m_controller.reset();
        // Sleepers a test left waiting wake and end, as the real clock's would.
        m_clock.advance(std::chrono::hours(1));
        m_capture.reset();
        m_home.reset();
    }

    void visibility_data() { datacases::addTable(u"notchcontroller.json"_qs, u"visibility"_qs); }

    void visibility()
    {
        QFETCH(bool, asleep);
        QFETCH(bool, notchOn);
        QFETCH(bool, opened);
        QFETCH(bool, fullScreen);
        QFETCH(bool, activate);
        QFETCH(bool, visible);

        m_notchOn = notchOn;
        start();
        if (asleep)
            Q_EMIT m_session.asleep();
        m_desktop.fullScreen = fullScreen;
        if (opened)
            m_store->show(CaptureStore::Page::compose);
        m_controller->refresh(activate);
        QCOMPARE(m_controller->panel()->isVisible(), visible);
    }

    void leavingBrieflyKeepsTheNotchRevealed()
    {
        start();
        NotchPresentation *presentation = m_controller->presentation();
        QSignalSpy changes(presentation, &NotchPresentation::revealedChanged);
        m_pointer.moveTo(notchCentre());
        QVERIFY(presentation->revealed());

        m_pointer.moveTo({0, 500});
        m_clock.advance(150ms);
        m_pointer.moveTo(notchCentre());
        m_clock.advance(150ms);
        QVERIFY(presentation->revealed());
        QCOMPARE(changes.size(), 1);

        m_pointer.moveTo({0, 500});
        m_clock.advance(219ms);
        QVERIFY(presentation->revealed());
        m_clock.advance(1ms);
        QVERIFY(!presentation->revealed());
        QVERIFY(!m_controller->isHidePending());
    }

    void headerClickNeedsPressAndReleaseInside_data() { datacases::addTable(u"notchcontroller.json"_qs, u"headerClickNeedsPressAndReleaseInside"_qs); }

    void headerClickNeedsPressAndReleaseInside()
    {
        QFETCH(QPoint, releaseOffset);
        QFETCH(bool, opens);

        start();
        m_pointer.moveTo(notchCentre());
        QWindow *window = m_controller->panel()->windowHandle();
        const QPoint press = toWindow(notchCentre());
        QTest::mousePress(window, Qt::LeftButton, {}, press);
        QVERIFY(m_controller->panel()->isEntryArmed());
        QTest::mouseMove(window, press + releaseOffset);
        QTest::mouseRelease(window, Qt::LeftButton, {}, press + releaseOffset);
        QVERIFY(!m_controller->panel()->isEntryArmed());
        QCOMPARE(m_store->isExpanded(), opens);
        if (opens)
            QCOMPARE(m_store->page(), CaptureStore::Page::compose);
    }

    void escapeCollapses()
    {
        start();
        m_store->show(CaptureStore::Page::settings);
        QVERIFY(m_store->isExpanded());
        QTest::keyClick(m_controller->panel()->windowHandle(), Qt::Key_Escape);
        QVERIFY(!m_store->isExpanded());
    }

    // While quitting, neither the pointer nor the store may bring the panel back.
    void stoppedItHearsNothingMore()
    {
        start();
        m_controller->stop();
        m_pointer.moveTo(notchCentre());
        m_store->show(CaptureStore::Page::compose);
        QVERIFY(!m_controller->panel()->isVisible());
    }

    void openingOnRequestTakesTheKeyboardOnce()
    {
        start();
        m_controller->setActivationToken("launcher-1_TIME99");
        m_store->show(CaptureStore::Page::compose);
        // A page change within the open panel asks again, without the spent token.
        m_store->show(CaptureStore::Page::settings);
        QCOMPARE(m_windows.activations, (QList<QByteArray> {"launcher-1_TIME99", {}}));
        // Closing does not ask for the keyboard.
        m_store->collapse();
        QCOMPARE(m_windows.activations.size(), 2);
    }

    void mayPresentEncouragement_data()
    {
        datacases::addTable(u"notchcontroller.json"_qs, u"mayPresentEncouragement"_qs);
    }

    // An encouragement waits while the person is away, busy or watching something.
    void mayPresentEncouragement()
    {
        QFETCH(QString, situation);
        QFETCH(bool, may);

        start();
        if (situation == u"asleep")
            Q_EMIT m_session.asleep();
        else if (situation == u"open")
            m_store->show(CaptureStore::Page::compose);
        else if (situation == u"unsaved")
            m_store->setText(u"half a thought"_qs);
        else if (situation == u"fullScreen")
            m_desktop.setFullScreen(true);
        else if (situation == u"off")
            m_notchOn = false;
        QCOMPARE(m_controller->mayPresentEncouragement(), may);
    }

    // A note shown before the computer slept is stale when it wakes.
    void sleepDropsTheNote()
    {
        start();
        m_store->cloud()->encouragement()->setNote(EncouragementNote {u"n-1"_qs, u"Nice work today."_qs, u"2099-01-01T00:00:00Z"_qs});
        Q_EMIT m_session.asleep();
        QVERIFY(!m_controller->panel()->isVisible());
        QVERIFY(!m_store->cloud()->encouragement()->note());
        Q_EMIT m_session.awake();
        QVERIFY(m_controller->panel()->isVisible());
        QVERIFY(!m_store->cloud()->encouragement()->note());
    }

    void onlyTheShapeTakesClicks()
    {
        start();
        QVERIFY(m_windows.placed >= 1);
        QVERIFY(m_windows.region.isEmpty()); // hidden: the whole canvas lets clicks through

        m_pointer.moveTo(notchCentre());
        QVERIFY(m_windows.region.contains(toWindow(notchCentre())));
        QVERIFY(!m_windows.region.contains(QPoint(0, 0)));
        const QRect canvas = m_controller->panel()->rect();
        QVERIFY(!m_windows.region.contains(QPoint(canvas.center().x(), canvas.bottom() - 2)));

        // The compact header also answers the click rules; its rounded corner does not.
        QVERIFY(m_controller->compactEntryContains(toWindow(notchCentre())));
        const QRectF compact = ScreenSpace::current().toQt(m_controller->presentation()->layout().compact.frame);
        const QPoint corner = compact.bottomLeft().toPoint() + QPoint(1, -2);
        QVERIFY(!m_windows.region.contains(toWindow(corner)));
        QVERIFY(!m_controller->compactEntryContains(toWindow(corner)));

        m_store->show(CaptureStore::Page::settings);
        QVERIFY(m_windows.region.contains(QPoint(canvas.center().x(), canvas.height() - 40)));
        QVERIFY(!m_controller->compactEntryContains(toWindow(notchCentre()))); // open: normal buttons
    }

    void withoutACompositorOnlyTheNotchIsShown()
    {
        m_desktop.compositor = false;
        start();
        // Nothing drawn yet, so nothing shown: no black canvas over the desktop.
        QVERIFY(m_windows.shown && m_windows.shown->isEmpty());
        m_pointer.moveTo(notchCentre());
        QVERIFY(m_windows.shown && m_windows.shown->contains(toWindow(notchCentre())));
        QVERIFY(!m_windows.shown->contains(QPoint(0, 0)));
        m_store->show(CaptureStore::Page::settings);
        const QRect canvas = m_controller->panel()->rect();
        QVERIFY(m_windows.shown->contains(QPoint(canvas.center().x(), canvas.height() - 40)));
        QVERIFY(!m_windows.shown->contains(QPoint(2, canvas.height() - 2))); // the shadow's room stays clear

        // A compositing manager blends the canvas: all of the window is shown again.
        m_desktop.setCompositing(true);
        QVERIFY(!m_windows.shown);
        m_desktop.setCompositing(false);
        QVERIFY(m_windows.shown && m_windows.shown->contains(QPoint(canvas.center().x(), canvas.height() - 40)));
    }

    void leavingForAWindowXCannotSeeHides()
    {
        m_pointer.everywhere = false;
        start();
        QWindow *window = m_controller->panel()->windowHandle();
        QTest::mouseMove(window, toWindow(notchCentre()));
        QVERIFY(m_controller->presentation()->revealed());
        // X still places the pointer at the notch's edge; the leave is all there is.
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(window, &leave);
        m_pointer.moveTo(notchCentre()); // the stale position changes nothing
        m_clock.advance(NotchController::hideDelay);
        QVERIFY(!m_controller->presentation()->revealed());
        // Back onto the strip in one jump: an enter and no motion.
        const QPointF inside = toWindow(notchCentre()) + QPointF(12, 4);
        QEnterEvent enter(inside, inside, m_controller->panel()->mapToGlobal(inside));
        QCoreApplication::sendEvent(window, &enter);
        QVERIFY(m_controller->presentation()->revealed());
        // Straight onto a native window X sends nothing at all: the compact notch
        // goes back in once nothing more is heard of the pointer.
        m_clock.advance(NotchController::restHideDelay / 2);
        QTest::mouseMove(window, toWindow(notchCentre() + QPoint(3, 0)));
        m_clock.advance(NotchController::restHideDelay / 2);
        QVERIFY(m_controller->presentation()->revealed());
        m_clock.advance(NotchController::restHideDelay / 2);
        QVERIFY(!m_controller->presentation()->revealed());
    }

    void hangsFromTheWorkArea_data() { datacases::addTable(u"notchcontroller.json"_qs, u"hangsFromTheWorkArea"_qs); }

    void hangsFromTheWorkArea()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, workArea);
        const ScreenSpace space(1080);
        const NotchLayout layout = NotchController::layoutFor(screen, workArea, space);
        const QRectF compact = space.toQt(layout.compact.frame);
        const QRectF activation = space.toQt(layout.activation);
        // Where the window manager lets the window be, the drawing and the hit tests agree.
        QCOMPARE(compact.top(), double(workArea.top()));
        QCOMPARE(space.toQt(layout.canvas).top(), double(workArea.top()));
        QCOMPARE(compact.center().x(), QRectF(workArea).center().x());
        // The pointer against the screen's top edge reveals it, over a shell's panel too.
        QCOMPARE(activation.top(), double(screen.top()));
        QVERIFY(activation.contains(compact));
    }

private:
    void start()
    {
        m_controller = std::make_unique<NotchController>(
            m_store, NotchFacilities {&m_pointer, &m_desktop, &m_session, &m_windows, &m_settings, {&m_notifications}, &m_clock});
    }

    [[nodiscard]] QPoint notchCentre() const; // global: the middle of the compact header
    [[nodiscard]] QPoint toWindow(QPoint global) const { return m_controller->panel()->mapFromGlobal(global); }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedCapture> m_capture;
    CaptureStore *m_store = nullptr;
    Pointer m_pointer;
    Desktop m_desktop;
    SessionWatcher m_session;
    Windows m_windows;
    ManualClock m_clock;
    ScriptedNotificationCenter m_notifications;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
    bool m_notchOn = true;
    std::unique_ptr<NotchController> m_controller;
};

QPoint TestNotchController::notchCentre() const
{
    const NotchLayout &layout = m_controller->presentation()->layout();
    const QRectF compact = ScreenSpace::current().toQt(layout.compact.frame);
    return QPoint(int(compact.center().x()), int(compact.top() + layout.compact.cameraHeight + 26));
}

QTEST_MAIN(TestNotchController)
#include "TestNotchController.moc"
