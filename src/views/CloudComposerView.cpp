#include "views/CloudComposerView.h"

#include "core/PendingWork.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "support/ReadingOrder.h"
#include "support/Spawn.h"
#include "support/style/Button.h"
#include "support/style/Editor.h"
#include "support/style/Feedback.h"
#include "support/style/Label.h"
#include "support/style/Metrics.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace vorno {

CloudComposerView::CloudComposerView(CloudStore *cloud, AccessibilitySettings *settings, bool compact, QWidget *parent)
    : QWidget(parent), m_cloud(cloud), m_compact(compact), m_editor(new style::Editor(settings, this)),
      m_limit(new style::Label(Words(Words::cloudLong).string(), 0.85, 12, this)),
      m_feedback(new style::Feedback(settings, this)),
      m_send(new style::Button(style::Button::Kind::primary, settings, this)),
      m_newNote(new style::Button(style::Button::Kind::primary, settings, this)),
      m_keep(new style::Button(style::Button::Kind::quiet, settings, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    if (!compact) {
        auto *title = new style::Label(Words(Words::quick).string(), 1, 17, this);
        title->setWeight(QFont::DemiBold);
        column->addWidget(title);
    }
    column->addWidget(m_editor, 1);
    column->addWidget(new style::Label(Words(Words::cloudManual).string(), 0.55, 12, this));
    m_limit->setColour(style::Metrics::action());
    column->addWidget(m_limit);
    column->addWidget(m_feedback);

    auto *row = new QHBoxLayout;
    row->setSpacing(8);
    auto *files = new style::Button(style::Button::Kind::secondary, settings, this);
    files->setWords(Words::files, QStringLiteral("paperclip"));
    row->addWidget(files);
    row->addStretch();
    m_keep->setWords(Words::save);
    row->addWidget(m_keep);
    m_newNote->setWords(Words::cloudNew, QStringLiteral("plus"));
    row->addWidget(m_newNote);
    row->addWidget(m_send);
    column->addLayout(row);
    setReadingOrder({m_editor->editor(), files, m_keep, m_newNote, m_send});

    connect(m_editor, &style::Editor::textEdited, cloud,
            [cloud](const QString &text) { cloud->note()->setText(text); });
    connect(files, &QAbstractButton::clicked, this, &CloudComposerView::addFilesRequested);
    connect(m_send, &QAbstractButton::clicked, this, &CloudComposerView::send);
    connect(m_newNote, &QAbstractButton::clicked, cloud, [cloud] { cloud->note()->newNote(); });
    connect(m_keep, &QAbstractButton::clicked, cloud, [cloud] { cloud->note()->saveLocal(); });

    auto *sendShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_S), this);
    // The panel's shortcuts, wherever its focus is, while this composer shows.
    sendShortcut->setContext(Qt::WindowShortcut);
    connect(sendShortcut, &QShortcut::activated, this, [this] {
        if (m_send->isVisible() && m_send->isEnabled())
            send();
    });
    auto *keepShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this);
    keepShortcut->setContext(Qt::WindowShortcut);
    connect(keepShortcut, &QShortcut::activated, this, [this] {
        if (m_cloud && m_keep->isEnabled())
            m_cloud->note()->saveLocal();
    });
    if (compact) {
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        escape->setContext(Qt::WidgetWithChildrenShortcut);
        connect(escape, &QShortcut::activated, this, &CloudComposerView::closeRequested);
    }

    for (auto signal : {&CloudStore::busyChanged, &CloudStore::noticeChanged})
        connect(cloud, signal, this, &CloudComposerView::refresh);
    for (auto signal : {&AccountNote::textChanged, &AccountNote::pendingChanged, &AccountNote::acknowledgedChanged,
                        &AccountNote::canSendChanged})
        connect(cloud->note(), signal, this, &CloudComposerView::refresh);
    refresh();
}

void CloudComposerView::send()
{
    if (m_cloud)
        spawn(m_cloud->note()->send());
}

bool CloudComposerView::showsLimitWarning() const
{
    return !m_limit->isHidden();
}

void CloudComposerView::setExpanded(bool expanded)
{
    m_expanded = expanded;
    if (!m_compact)
        return;
    if (expanded)
        m_editor->editor()->setFocus(Qt::OtherFocusReason);
    else
        m_editor->editor()->clearFocus();
}

void CloudComposerView::refresh()
{
    if (!m_cloud)
        return;
    const CloudStore &cloud = *m_cloud;
    m_editor->setText(cloud.note()->text());
    m_editor->setReadOnly((cloud.isBusy() && !cloud.isRefreshing()) || cloud.note()->pending().has_value());
    m_limit->setVisible(cloud.note()->text().size() > PendingWork::maximumLength);
    m_feedback->setNotice(cloud.notice());
    const bool acknowledged = cloud.note()->isAcknowledged();
    m_send->setVisible(!acknowledged);
    m_send->setWords(cloud.note()->pending() ? Words::cloudRetrySave : Words::cloudSave,
                     QStringLiteral("arrow.up.right"));
    m_send->setEnabled(cloud.note()->canSend());
    m_newNote->setVisible(acknowledged);
    m_keep->setEnabled(!cloud.isBusy() || cloud.isRefreshing());
}

} // namespace vorno
