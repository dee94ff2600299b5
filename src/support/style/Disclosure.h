#pragma once

#include <QPointer>
#include <QWidget>

namespace vorno {
class AccessibilitySettings;
class SpringAnimation;
} // namespace vorno

namespace vorno::style {

class Button;

// A group that opens and closes under a quiet header button whose chevron
// turns from −90° (closed) to 0° (open); the content fades in while it moves
// down by 4 points (no move with reduced motion).
class Disclosure : public QWidget
{
    Q_OBJECT

public:
    static constexpr int spacing = 8;
    static constexpr int contentPadding = 10;
    static constexpr double contentRise = 4;

    Disclosure(QString label, AccessibilitySettings *settings, QWidget *parent = nullptr);

    // Takes `content`; giving the same content again re-measures it.
    void setContent(QWidget *content);
    void setExpanded(bool expanded);
    [[nodiscard]] bool isExpanded() const { return m_expanded; }
    [[nodiscard]] Button *header() const { return m_header; }
    // The chevron's angle and the content's opacity and offset now.
    [[nodiscard]] double chevronDegrees() const;
    [[nodiscard]] double contentOpacity() const;
    [[nodiscard]] double contentOffset() const;

Q_SIGNALS:
    void expandedChanged(bool expanded);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void place();

    QPointer<AccessibilitySettings> m_settings;
    Button *m_header;
    QWidget *m_holder;
    QWidget *m_content = nullptr;
    SpringAnimation *m_openness; // 0 closed … 1 open
    bool m_expanded = false;
};

} // namespace vorno::style
