#include "views/ComposerView.h"

#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "support/ReadingOrder.h"
#include "support/style/Button.h"
#include "support/style/Editor.h"
#include "support/style/Feedback.h"
#include "support/style/Label.h"
#include "views/CloudComposerView.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace vorno {

ComposerView::ComposerView(CaptureStore *store, AccessibilitySettings *settings, bool compact, QWidget *parent)
    : QWidget(parent), m_store(store), m_compact(compact), m_stack(new QStackedLayout(this)),
      m_local(new QWidget(this)), m_editor(new style::Editor(settings, m_local)),
      m_feedback(new style::Feedback(settings, m_local)),
      m_save(new style::Button(style::Button::Kind::primary, settings, m_local)),
      m_cloudComposer(new CloudComposerView(store->cloud(), settings, compact, this))
{
    connect(m_cloudComposer, &CloudComposerView::closeRequested, store, &CaptureStore::collapse);
    connect(m_cloudComposer, &CloudComposerView::addFilesRequested, store, &CaptureStore::chooseFiles);
    auto *column = new QVBoxLayout(m_local);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    if (!compact) {
        auto *title = new style::Label(Words(Words::quick).string(), 1, 17, m_local);
        title->setWeight(QFont::DemiBold);
        column->addWidget(title);
    }
    column->addWidget(m_editor, 1);
    column->addWidget(new style::Label(Words(Words::local).string(), 0.55, 12, m_local));
    column->addWidget(m_feedback);
    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    auto *files = new style::Button(style::Button::Kind::secondary, settings, m_local);
    files->setWords(Words::files, QStringLiteral("paperclip"));
    row->addWidget(files);
    row->addStretch();
    m_save->setWords(Words::save, QStringLiteral("checkmark"));
    row->addWidget(m_save);
    column->addLayout(row);

    setReadingOrder({m_editor->editor(), files, m_save});
    m_stack->addWidget(m_local);
    m_stack->addWidget(m_cloudComposer);

    connect(m_editor, &style::Editor::textEdited, store, [store](const QString &text) { store->setText(text); });
    connect(files, &QAbstractButton::clicked, store, [store] { store->chooseFiles(); });
    connect(m_save, &QAbstractButton::clicked, store, [store] { store->saveDraft(); });
    auto *saveShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), m_local);
    saveShortcut->setContext(Qt::WindowShortcut); // wherever the panel's focus is
    connect(saveShortcut, &QShortcut::activated, store, [store] {
        if (store->canSave())
            store->saveDraft();
    });
    if (compact) {
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), m_local);
        escape->setContext(Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, store, [store] { store->collapse(); });
    }

    for (auto signal : {&CaptureStore::textChanged, &CaptureStore::noticeChanged, &CaptureStore::canSaveChanged})
        connect(store, signal, this, &ComposerView::refresh);
    connect(store->cloud(), &CloudStore::sessionChanged, this, &ComposerView::refresh);
    connect(store, &CaptureStore::expandedChanged, this, &ComposerView::followPresentation);
    connect(store, &CaptureStore::pageChanged, this, &ComposerView::followPresentation);
    refresh();
    followPresentation();
}

bool ComposerView::showsCloudComposer() const
{
    return m_stack->currentWidget() == m_cloudComposer;
}

void ComposerView::refresh()
{
    if (!m_store)
        return;
    const bool signedIn = m_store->cloud()->isSignedIn();
    const bool switched = signedIn != showsCloudComposer();
    m_stack->setCurrentWidget(signedIn ? static_cast<QWidget *>(m_cloudComposer) : m_local);
    m_editor->setText(m_store->text());
    m_feedback->setNotice(m_store->notice());
    m_save->setEnabled(m_store->canSave());
    if (switched)
        followPresentation();
}

void ComposerView::followPresentation()
{
    if (!m_store)
        return;
    const bool editing = m_store->isExpanded() && m_store->page() == CaptureStore::Page::compose;
    m_cloudComposer->setExpanded(editing);
    if (!m_compact || showsCloudComposer())
        return;
    if (editing)
        m_editor->editor()->setFocus(Qt::OtherFocusReason);
    else
        m_editor->editor()->clearFocus();
}

} // namespace vorno
