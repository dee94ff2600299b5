#include "app/NotchController.h"

#include "app/InputPanel.h"
#include "platform/DesktopWatcher.h"
#include "platform/PanelWindowSystem.h"
#include "platform/PointerMonitor.h"
#include "platform/ScreenSpace.h"
#include "platform/SessionWatcher.h"
#include "stores/AccountEncouragement.h"
#include "stores/AccountNote.h"
#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "support/CancelledError.h"
#include "support/Spawn.h"
#include "views/NotchHitView.h"
#include "views/NotchPresentation.h"

#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <limits>

namespace vorno {

namespace {

// The first text editor in the subtree, depth first, a widget before its children.
QWidget *firstEditor(QWidget *root)
{
    if (!root || !root->isVisible())
        return nullptr;
    if (qobject_cast<QPlainTextEdit *>(root) || qobject_cast<QTextEdit *>(root))
        return root;
    for (QObject *child : root->children())
        if (QWidget *found = firstEditor(qobject_cast<QWidget *>(child)))
            return found;
    return nullptr;
}

} // namespace

NotchController::NotchController(CaptureStore *store, NotchFacilities facilities, QObject *parent)
    : QObject(parent), m_store(store), m_facilities(std::move(facilities)), m_panel(std::make_unique<InputPanel>())
{
    const QPointer guard(this);
    m_panel->acceptsInput = [guard] { return guard && guard->m_store && guard->m_store->isExpanded(); };
    m_panel->compactEntryContains = [guard](QPoint point) { return guard && guard->compactEntryContains(point); };
    InputPanel *panel = m_panel.get();
    connect(panel, &InputPanel::cancelled, this, [this] {
        if (m_store)
            m_store->collapse();
    });
    connect(panel, &InputPanel::compactEntered, this, &NotchController::compactEntry);
    connect(panel, &InputPanel::mapped, this, &NotchController::applyInputRegion);
    connect(panel, &InputPanel::hovered, this, &NotchController::pointerMoved);
    // Under XWayland a change of the panel's shape under X's stale idea of
    // the pointer can enter the panel with no motion: the notch then comes
    // out until it has rested.
    connect(panel, &InputPanel::entered, this, &NotchController::pointerMoved);
    connect(panel, &InputPanel::left, this, &NotchController::pointerLeft);

    QObject *watch = m_watch.get();
    if (PointerMonitor *pointer = m_facilities.pointer)
        connect(pointer, &PointerMonitor::moved, watch, [this](QPoint point) { pointerSeen(point); });
    observeScreens();
    if (SessionWatcher *session = m_facilities.session) {
        connect(session, &SessionWatcher::asleep, watch, [this] { fallAsleep(); });
        connect(session, &SessionWatcher::awake, watch, [this] { wake(); });
    }
    if (DesktopWatcher *desktop = m_facilities.desktop) {
        connect(desktop, &DesktopWatcher::workspaceChanged, watch, [this] { wake(); });
        connect(desktop, &DesktopWatcher::fullScreenChanged, watch, [this] { refresh(false); });
        connect(desktop, &DesktopWatcher::compositingChanged, watch, [this] { applyInputRegion(); });
    }
    connect(store, &CaptureStore::panelChanged, watch, [this] { refresh(m_store->isExpanded()); });
    refresh(false);
}

NotchController::~NotchController()
{
    stop();
}

void NotchController::observeScreens()
{
    QObject *watch = m_watch.get();
    const auto follow = [this, watch](QScreen *screen) {
        connect(screen, &QScreen::geometryChanged, watch, [this] { refresh(false); });
        connect(screen, &QScreen::availableGeometryChanged, watch, [this] { refresh(false); });
    };
    for (QScreen *screen : QGuiApplication::screens())
        follow(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, watch, [this, follow](QScreen *screen) {
        follow(screen);
        refresh(false);
    });
    // Qt removes the screen after this signal: place the panel once it is gone.
    connect(qGuiApp, &QGuiApplication::screenRemoved, watch,
            [this] { QTimer::singleShot(0, this, [this] { refresh(false); }); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, watch, [this] { refresh(false); });
}

void NotchController::hide()
{
    m_panel->hide();
}

void NotchController::fallAsleep()
{
    m_asleep = true;
    if (m_store && m_store->cloud())
        m_store->cloud()->encouragement()->setNote(std::nullopt);
    hide();
}

void NotchController::wake()
{
    m_asleep = false;
    refresh(false);
}

void NotchController::refresh(bool activate)
{
    if (!m_store)
        return;
    if (m_asleep)
        return hide();
    if (!m_store->notchEnabled() && !m_store->forceNotch())
        return hide();
    if (m_facilities.desktop && m_facilities.desktop->fullScreenActive() && !activate)
        return hide();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return hide();

    const ScreenSpace space = ScreenSpace::current();
    const NotchLayout layout = layoutFor(screen->geometry(), screen->availableGeometry(), space);
    if (m_facilities.pointer)
        m_facilities.pointer->setArea(space.toQt(layout.activation).toAlignedRect());
    if (!m_presentation) {
        m_presentation = new NotchPresentation(layout, this);
        m_host = new NotchView(m_store, m_presentation, m_facilities.settings, m_facilities.view, m_panel.get());
        connect(m_host->hitView(), &NotchHitView::changed, this, &NotchController::applyInputRegion);
        if (m_facilities.windows)
            m_facilities.windows->deliverEveryClick(m_panel->windowHandle());
    } else {
        m_presentation->setLayout(layout);
    }
    const QRect canvas = space.toQt(layout.canvas).toAlignedRect();
    if (m_panel->geometry() != canvas) {
        m_panel->setGeometry(canvas);
        m_host->setGeometry(QRect(QPoint(0, 0), canvas.size()));
    }
    pointerMoved(m_facilities.pointer ? m_facilities.pointer->position() : QPoint(-1, -1));

    m_panel->followInput();
    const bool wasVisible = m_panel->isVisible();
    m_panel->show();
    m_panel->raise();
    if (!wasVisible && m_facilities.windows)
        m_facilities.windows->placeOnEveryWorkspace(m_panel->windowHandle());
    applyInputRegion();
    if (m_store->isExpanded() && activate) {
        bringForward();
        const QPointer guard(this);
        QTimer::singleShot(0, this, [guard] {
            if (!guard || !guard->m_store || !guard->m_store->isExpanded())
                return;
            if (guard->m_store->page() != CaptureStore::Page::compose)
                return;
            if (QWidget *editor = firstEditor(guard->m_host))
                editor->setFocus(Qt::OtherFocusReason);
        });
    }
}

void NotchController::bringForward()
{
    if (!m_store || !m_store->isExpanded() || !m_panel->isVisible())
        return;
    m_panel->raise();
    const QByteArray token = std::exchange(m_activationToken, {});
    if (m_facilities.windows)
        m_facilities.windows->activate(m_panel->windowHandle(), token);
    else
        m_panel->activateWindow();
}

NotchLayout NotchController::layoutFor(QRect screen, QRect workArea, const ScreenSpace &space)
{
    // No desktop lets a window cover a shell's top panel (the window manager
    // moves it out), so the notch hangs from the work area's top edge.
    const QRectF full(screen);
    const QRectF work(workArea);
    QRectF hanging = full;
    hanging.setTop(work.top());
    // No screen here reports a camera housing.
    NotchLayout layout = NotchLayout::resolve(space.toLayout(hanging), space.toLayout(work), std::nullopt);
    // A pointer flung against the screen's real top edge, over the shell's
    // panel, still reveals the notch.
    const double top = space.toLayout(full).maxY();
    if (layout.activation.maxY() < top)
        layout.activation.height = top - layout.activation.y;
    return layout;
}

bool NotchController::inActivationArea(QPoint point) const
{
    return m_presentation
        && ScreenSpace::current()
               .toQt(m_presentation->layout().activation)
               .contains(QPointF(point) + QPointF(0.5, 0.5));
}

void NotchController::pointerSeen(QPoint point)
{
    // Where X cannot see everywhere (XWayland), its idea of the pointer stays
    // at the last X window the pointer left, often the notch itself: only the
    // panel's own strip tells that the pointer is at the notch.
    if (m_facilities.pointer && !m_facilities.pointer->seesEverywhere() && inActivationArea(point))
        return;
    pointerMoved(point);
}

void NotchController::pointerLeft()
{
    // Where motion elsewhere is seen, it tells where the pointer went. Where
    // it is not (XWayland), the pointer has left for a window X cannot see,
    // and X's idea of its position stays at the notch's edge.
    if (m_facilities.pointer && m_facilities.pointer->seesEverywhere())
        return;
    pointerMoved(QPoint(std::numeric_limits<int>::min() / 2, std::numeric_limits<int>::min() / 2));
}

void NotchController::pointerMoved(QPoint point)
{
    if (!m_host || !m_presentation || !m_store)
        return;
    const bool atNotch = !m_asleep && m_store->notchEnabled() && inActivationArea(point);
    if (atNotch) {
        if (m_hideTask) {
            m_hideTask->request_stop();
            m_hideTask.reset();
        }
        m_presentation->setRevealed(true);
        // Where X cannot see everywhere (XWayland), a pointer that moves from
        // the notch straight onto a native window sends nothing at all: the
        // compact notch goes back in once the pointer has rested this long.
        if (m_facilities.pointer && !m_facilities.pointer->seesEverywhere()) {
            if (m_restTask)
                m_restTask->request_stop();
            m_restTask.emplace();
            spawn(hideLater(restHideDelay, &m_restTask, m_restTask->get_token()));
        }
    } else if (!m_store->isExpanded() && !m_hideTask && m_presentation->revealed()) {
        m_hideTask.emplace();
        spawn(hideLater(hideDelay, &m_hideTask, m_hideTask->get_token()));
    }
}

QCoro::Task<> NotchController::hideLater(std::chrono::nanoseconds delay, std::optional<std::stop_source> *task,
                                         std::stop_token stop)
{
    const QPointer guard(this);
    try {
        co_await m_facilities.clock->sleep(delay, stop);
    } catch (const CancelledError &) {
        co_return;
    }
    if (!guard || stop.stop_requested())
        co_return;
    task->reset();
    if (m_presentation && m_store && !m_store->isExpanded())
        m_presentation->setRevealed(false);
}

void NotchController::applyInputRegion()
{
    if (!m_host || !m_facilities.windows || !m_panel->isVisible())
        return;
    // Without a compositing manager every pixel of the canvas is painted,
    // the transparent ones black: only the notch as drawn may be shown then.
    const bool compositing = !m_facilities.desktop || m_facilities.desktop->compositing();
    m_facilities.windows->setVisibleRegion(
        m_panel->windowHandle(), compositing ? std::nullopt : std::optional(m_host->hitView()->drawnRegion()));
    QRegion region = m_host->hitView()->windowRegion();
    // Where motion elsewhere is invisible, the panel's own strip must notice the pointer.
    if (m_facilities.pointer && !m_facilities.pointer->seesEverywhere() && m_presentation) {
        const QRectF strip = ScreenSpace::current().toQt(m_presentation->layout().activation);
        region += strip.toAlignedRect().translated(-m_panel->geometry().topLeft());
    }
    m_facilities.windows->setInputRegion(m_panel->windowHandle(), region);
}

bool NotchController::compactEntryContains(QPoint windowPoint) const
{
    if (!m_presentation || !m_host || !m_store)
        return false;
    CloudStore *cloud = m_store->cloud();
    const bool note = cloud && cloud->encouragement()->note().has_value();
    if ((!m_presentation->revealed() && !note) || m_store->isExpanded())
        return false;
    const QPoint point = m_panel->mapToGlobal(windowPoint);
    const NotchLayout &layout = m_presentation->layout();
    const PanelGeometry &geometry = note ? layout.expanded : layout.compact;
    const QRectF frame = ScreenSpace::current().toQt(geometry.frame);
    const QPointF centre = QPointF(point) + QPointF(0.5, 0.5);
    const double bandTop = frame.top() + geometry.cameraHeight;
    return frame.contains(centre) && m_host->hitView()->contains(point) && centre.y() > bandTop
        && centre.y() < bandTop + PanelGeometry::headerHeight;
}

void NotchController::compactEntry(QPoint windowPoint)
{
    if (!m_store || !m_presentation)
        return;
    CloudStore *cloud = m_store->cloud();
    const QRectF expanded = ScreenSpace::current().toQt(m_presentation->layout().expanded.frame);
    if (cloud && cloud->encouragement()->note()
        && m_panel->mapToGlobal(windowPoint).x() + 0.5 > expanded.center().x()) {
        m_store->togglePresentation();
        return;
    }
    if (m_store->notchEnabled())
        m_store->show(CaptureStore::Page::compose);
    else
        m_store->openMain();
}

bool NotchController::mayPresentEncouragement() const
{
    if (m_asleep || !m_store || m_store->isExpanded() || m_store->text() != m_store->savedText())
        return false;
    if (CloudStore *cloud = m_store->cloud(); cloud && (cloud->note()->isDirty() || cloud->note()->pending()))
        return false;
    if (m_facilities.desktop && m_facilities.desktop->fullScreenActive())
        return false;
    return m_store->notchEnabled();
}

void NotchController::stop()
{
    hide();
    for (std::optional<std::stop_source> *task : {&m_hideTask, &m_restTask}) {
        if (*task) {
            (*task)->request_stop();
            task->reset();
        }
    }
    m_watch.reset(); // ends every connection to the desktop and the store
}

} // namespace vorno
