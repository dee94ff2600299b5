#pragma once

#include "core/NotchLayout.h"

#include <QObject>

namespace vorno {

// What the panel controller decides and the notch view shows: where the notch
// lives on its screen, and whether the pointer has revealed it. Observers hear
// of real changes only.
class NotchPresentation : public QObject
{
    Q_OBJECT

public:
    explicit NotchPresentation(NotchLayout layout, QObject *parent = nullptr) : QObject(parent), m_layout(layout) { }

    [[nodiscard]] const NotchLayout &layout() const { return m_layout; }
    [[nodiscard]] bool revealed() const { return m_revealed; }

    void setLayout(const NotchLayout &layout)
    {
        if (layout == m_layout)
            return;
        m_layout = layout;
        Q_EMIT layoutChanged();
    }

    void setRevealed(bool revealed)
    {
        if (revealed == m_revealed)
            return;
        m_revealed = revealed;
        Q_EMIT revealedChanged();
    }

Q_SIGNALS:
    void layoutChanged();
    void revealedChanged();

private:
    NotchLayout m_layout;
    bool m_revealed = false;
};

} // namespace vorno
