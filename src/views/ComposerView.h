#pragma once

#include <QPointer>
#include <QWidget>

class QStackedLayout;

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
class CaptureStore;
class CloudComposerView;

// The compose page: the local draft while signed out, the account's composer
// (CloudComposerView) while signed in.
class ComposerView : public QWidget
{
    Q_OBJECT

public:
    ComposerView(CaptureStore *store, AccessibilitySettings *settings, bool compact, QWidget *parent = nullptr);

    [[nodiscard]] bool showsCloudComposer() const;
    [[nodiscard]] style::Editor *editor() const { return m_editor; }
    [[nodiscard]] style::Button *saveButton() const { return m_save; }
    [[nodiscard]] CloudComposerView *cloudComposer() const { return m_cloudComposer; }

private:
    void refresh();
    void followPresentation();

    QPointer<CaptureStore> m_store;
    bool m_compact;
    QStackedLayout *m_stack;
    QWidget *m_local;
    style::Editor *m_editor;
    style::Feedback *m_feedback;
    style::Button *m_save;
    CloudComposerView *m_cloudComposer;
};

} // namespace vorno
