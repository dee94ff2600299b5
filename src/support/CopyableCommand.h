#pragma once

#include <QLineEdit>
#include <QWidget>

namespace vorno {

class AccessibilitySettings;
namespace style {
class Button;
}

// A shell command the user is asked to run or bind: selectable text in a
// monospace field, reachable by keyboard, and a Copy button.
class CopyableCommand : public QWidget
{
    Q_OBJECT

public:
    CopyableCommand(const QString &accessibleName, AccessibilitySettings *settings, QWidget *parent = nullptr);

    void setCommand(const QString &command);
    [[nodiscard]] QString command() const { return m_field->text(); }
    [[nodiscard]] style::Button *copyButton() const { return m_copy; }

private:
    QLineEdit *m_field;
    style::Button *m_copy;
};

} // namespace vorno
