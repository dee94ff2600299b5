#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>

namespace vorno {

// The notch's window: frameless, translucent, above other windows, taking the
// keyboard only while it accepts input. The closed notch is one big button:
// a press in its header arms it, and only a release still inside fires it.
class InputPanel : public QWidget
{
    Q_OBJECT

public:
    explicit InputPanel(QWidget *parent = nullptr);

    // Questions the panel asks its owner while handling an event.
    std::function<bool()> acceptsInput;
    std::function<bool(QPoint)> compactEntryContains; // window coordinates

    [[nodiscard]] bool isEntryArmed() const { return m_entryArmed; }
    [[nodiscard]] bool canBecomeKey() const { return acceptsInput && acceptsInput(); }
    // Lets the panel take the keyboard, or not, without re-creating the window.
    void followInput();

    // The window-level handling of one event; true when it is swallowed.
    bool handle(QEvent *event);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;

Q_SIGNALS:
    // Escape while the panel had the keyboard.
    void cancelled();
    // A click on the closed notch's header, in window coordinates.
    void compactEntered(QPoint point);
    // Pointer motion over the panel itself, in global coordinates.
    void hovered(QPoint point);
    // The pointer entered the window at a point, in global coordinates.
    void entered(QPoint point);
    // The pointer left the window.
    void left();
    // The window was mapped (again): window managers may drop what was set on it before.
    void mapped();

private:
    void attach();

    bool m_entryArmed = false;
};

} // namespace vorno
