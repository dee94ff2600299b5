#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace vorno {

class AccessibilitySettings;
class CaptureButton;
class CaptureEditor;
class CaptureFeedback;
class CaptureText;
class CloudStore;

// The signed-in composer: edits the account's note, sends it, starts a new
// one after a confirmed save, and keeps the text as the account's draft.
class CloudComposerView : public QWidget
{
    Q_OBJECT

public:
    using Action = std::function<void()>;

    CloudComposerView(CloudStore *cloud, AccessibilitySettings *settings, bool compact, Action close, Action addFiles,
                      QWidget *parent = nullptr);

    // In the panel, the editor takes the keyboard while the compose page is open.
    void setExpanded(bool expanded);

    [[nodiscard]] CaptureEditor *editor() const { return m_editor; }
    [[nodiscard]] CaptureButton *sendButton() const { return m_send; }
    [[nodiscard]] CaptureButton *newNoteButton() const { return m_newNote; }
    [[nodiscard]] CaptureButton *keepButton() const { return m_keep; }
    [[nodiscard]] bool showsLimitWarning() const;

private:
    void refresh();
    void send();

    QPointer<CloudStore> m_cloud;
    bool m_compact;
    bool m_expanded = false;
    Action m_close;
    CaptureEditor *m_editor;
    CaptureText *m_limit;
    CaptureFeedback *m_feedback;
    CaptureButton *m_send;
    CaptureButton *m_newNote;
    CaptureButton *m_keep;
};

} // namespace vorno
