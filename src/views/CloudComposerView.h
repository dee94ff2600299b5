#pragma once

#include <QPointer>
#include <QWidget>

namespace vorno {

class AccessibilitySettings;
namespace style {
class Button;
}
namespace style {
class Editor;
}
namespace style {
class Feedback;
}
namespace style {
class Label;
}
class CloudStore;

// The signed-in composer: edits the account's note, sends it, starts a new
// one after a confirmed save, and keeps the text as the account's draft.
class CloudComposerView : public QWidget
{
    Q_OBJECT

public:
    CloudComposerView(CloudStore *cloud, AccessibilitySettings *settings, bool compact, QWidget *parent = nullptr);

    // In the panel, the editor takes the keyboard while the compose page is open.
    void setExpanded(bool expanded);

    [[nodiscard]] style::Editor *editor() const { return m_editor; }
    [[nodiscard]] style::Button *sendButton() const { return m_send; }
    [[nodiscard]] style::Button *newNoteButton() const { return m_newNote; }
    [[nodiscard]] style::Button *keepButton() const { return m_keep; }
    [[nodiscard]] bool showsLimitWarning() const;

Q_SIGNALS:
    // Escape in the panel's composer.
    void closeRequested();
    void addFilesRequested();

private:
    void refresh();
    void send();

    QPointer<CloudStore> m_cloud;
    bool m_compact;
    bool m_expanded = false;
    style::Editor *m_editor;
    style::Label *m_limit;
    style::Feedback *m_feedback;
    style::Button *m_send;
    style::Button *m_newNote;
    style::Button *m_keep;
};

} // namespace vorno
