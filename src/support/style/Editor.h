#pragma once

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;

namespace vorno {
class AccessibilitySettings;
class SpringAnimation;
} // namespace vorno

namespace vorno::style {

// The note editor in its frame: padded, on a rounded field, with a border that
// lights up while it has the keyboard and the placeholder while it is empty.
class Editor : public QWidget
{
    Q_OBJECT

public:
    static constexpr double padding = 16;
    static constexpr int bodyPixelSize = 14;
    static constexpr double radius = 20;
    static constexpr QPointF placeholderInset {21, 17};

    explicit Editor(AccessibilitySettings *settings, QWidget *parent = nullptr);

    [[nodiscard]] QPlainTextEdit *editor() const { return m_editor; }
    // Sets the text without moving the cursor when it is already the same.
    void setText(const QString &text);
    [[nodiscard]] QString text() const;
    void setReadOnly(bool readOnly);
    [[nodiscard]] bool isEditing() const;
    [[nodiscard]] bool showsPlaceholder() const;
    // The border colour now: accent while editing, otherwise primary at 0.1
    // (0.6 with increased contrast).
    [[nodiscard]] QColor borderColor() const;

Q_SIGNALS:
    void textEdited(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void followFocus();
    void followPalette();

    QPointer<AccessibilitySettings> m_settings;
    QPlainTextEdit *m_editor;
    SpringAnimation *m_focus; // 0 idle … 1 editing
    bool m_settingText = false;
};

} // namespace vorno::style
