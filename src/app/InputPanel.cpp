#include "app/InputPanel.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace vorno {

InputPanel::InputPanel(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowTitle(u"vorno"_qs);
    setMouseTracking(true);
    attach();
}

void InputPanel::attach()
{
    // Events reach the window before any widget in it.
    create();
    windowHandle()->installEventFilter(this);
}

void InputPanel::followInput()
{
    // On the QWindow: QWidget::setWindowFlags would unmap and map the window again.
    if (QWindow *window = windowHandle())
        window->setFlag(Qt::WindowDoesNotAcceptFocus, !canBecomeKey());
}

bool InputPanel::event(QEvent *event)
{
    if (event->type() == QEvent::WinIdChange && windowHandle()) {
        windowHandle()->installEventFilter(this); // a re-created window is a new QWindow
        Q_EMIT mapped();
    }
    return QWidget::event(event);
}

bool InputPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && handle(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool InputPanel::handle(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton || !compactEntryContains)
            return false;
        if (compactEntryContains(mouse->position().toPoint())) {
            m_entryArmed = true;
            return true;
        }
        return false;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        Q_EMIT hovered(mouse->globalPosition().toPoint());
        return m_entryArmed;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!m_entryArmed || mouse->button() != Qt::LeftButton)
            return false;
        m_entryArmed = false;
        const QPoint point = mouse->position().toPoint();
        if (compactEntryContains && compactEntryContains(point))
            Q_EMIT compactEntered(point);
        return true;
    }
    case QEvent::Expose:
    case QEvent::Show:
        Q_EMIT mapped();
        return false;
    case QEvent::Enter:
        // A pointer that jumps onto the panel (XWayland from a Wayland window) moves no further.
        Q_EMIT entered(static_cast<QEnterEvent *>(event)->globalPosition().toPoint());
        return false;
    case QEvent::Leave:
        Q_EMIT left();
        return false;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            m_entryArmed = false;
            Q_EMIT cancelled();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace vorno
