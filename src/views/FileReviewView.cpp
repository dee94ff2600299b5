#include "views/FileReviewView.h"

#include "core/CollectedFile.h"
#include "core/FileCollectionBatch.h"
#include "core/FileCollectionPolicy.h"
#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "stores/FileCollectionStore.h"
#include "support/ReadingOrder.h"
#include "support/Spawn.h"
#include "support/Symbols.h"
#include "support/style/BusyIndicator.h"
#include "support/style/Button.h"
#include "support/style/Disclosure.h"
#include "support/style/Label.h"
#include "support/style/Metrics.h"
#include "support/style/ProgressBar.h"
#include "support/style/Toggle.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QScopeGuard>
#include <QVBoxLayout>

namespace vorno {

namespace {

constexpr int textPixelSize = 12;
constexpr double rowSymbolSize = 16;

QLabel *symbolLabel(const QString &name, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setPixmap(Symbols::pixmap(name, rowSymbolSize, color, parent->devicePixelRatioF()));
    label->setFixedSize(int(rowSymbolSize), int(rowSymbolSize));
    label->setAlignment(Qt::AlignTop);
    return label;
}

void clearLayout(QVBoxLayout *layout)
{
    while (QLayoutItem *item = layout->takeAt(0)) {
        if (QWidget *widget = item->widget())
            widget->deleteLater();
        delete item;
    }
}

QString interfaceLanguage()
{
    const QString language = QLocale().name().section(u'_', 0, 0);
    return language.isEmpty() || language == u"C" ? QStringLiteral("en") : language;
}

} // namespace

Words FileReviewView::stateText(const CollectedFile &file)
{
    switch (file.state()) {
    case FileStatus::readyForReview:
        if (file.partial)
            return Words::filePartial;
        if (file.candidateCount == 0)
            return Words::fileEmpty;
        return Words::fileReady;
    case FileStatus::failed:
    case FileStatus::deleted:
        return Words::fileFailed;
    case FileStatus::uploaded:
    case FileStatus::queued:
    case FileStatus::parsing:
    case FileStatus::extracting:
        return Words::fileProcessing;
    case FileStatus::local:
    case FileStatus::pendingUpload:
    case FileStatus::other:
        break;
    }
    return Words::fileLocal;
}

Words FileReviewView::failureText(const QString &code)
{
    if (code == u"subscription_required" || code == u"first_free_file_requires_pro" || code == u"first_drop_used")
        return Words::filePro;
    if (code == u"invalid_file")
        return Words::fileInvalid;
    return Words::fileUnavailable;
}

FileReviewView::FileReviewView(CaptureStore *store, AccessibilitySettings *settings, Options options, QWidget *parent)
    : QWidget(parent), m_store(store), m_settings(settings), m_options(std::move(options)),
      m_account(new style::Label({}, 0.6, textPixelSize, this)),
      m_signIn(new style::Button(style::Button::Kind::secondary, settings, this)), m_rows(new QVBoxLayout),
      m_notice(new style::Label({}, 0.85, textPixelSize, this)),
      m_hint(new style::Label(Words(Words::selectedHint).string(), 0.55, textPixelSize, this)),
      m_failure(new style::Label({}, 0.85, textPixelSize, this)),
      m_consent(new style::Disclosure(Words(Words::fileChecks).string(), settings, this)),
      m_consentContent(new QWidget), m_loading(new style::BusyIndicator(settings, this)),
      m_finished(new style::Label(Words(Words::fileReady).string(), 0.85, 13, this)),
      m_primary(new style::Button(style::Button::Kind::primary, settings, this)),
      m_results(new style::Button(style::Button::Kind::secondary, settings, this)),
      m_refresh(new style::Button(style::Button::Kind::quiet, settings, this)),
      m_clear(new style::Button(style::Button::Kind::quiet, settings, this)), m_confirmation(new QWidget(this)),
      m_confirm(new style::Button(style::Button::Kind::secondary, settings, m_confirmation))
{
    if (m_options.language.isEmpty())
        m_options.language = interfaceLanguage();

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    header->addWidget(symbolLabel(QStringLiteral("paperclip"), style::Metrics::action(), this));
    auto *title = new style::Label(Words(Words::fileReview).string(), 1, 15, this);
    title->setWeight(QFont::DemiBold);
    header->addWidget(title, 1);
    header->addWidget(m_loading);
    column->addLayout(header);
    auto *accountRow = new QHBoxLayout;
    accountRow->addWidget(m_account, 1);
    m_signIn->setWords(Words::cloudLogin);
    accountRow->addWidget(m_signIn);
    column->addLayout(accountRow);
    m_notice->setColour(style::Metrics::action());
    m_notice->setWordWrap(true);
    column->addWidget(m_notice);

    m_rows->setSpacing(8);
    column->addLayout(m_rows);
    column->addWidget(m_hint);
    column->addWidget(m_failure);
    m_failure->setColour(style::Metrics::action());
    m_consent->setContent(m_consentContent);
    column->addWidget(m_consent);
    column->addWidget(m_finished);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    m_results->setWords(Words::fileResults, QStringLiteral("arrow.up.right"));
    buttons->addStretch();
    buttons->addWidget(m_results);
    buttons->addWidget(m_primary);
    column->addLayout(buttons);
    auto *upkeep = new QHBoxLayout;
    upkeep->setSpacing(4);
    m_refresh->setWords(Words::cloudRefresh, QStringLiteral("arrow.clockwise"));
    m_clear->setWords(Words::fileClear);
    upkeep->addWidget(m_refresh);
    upkeep->addWidget(m_clear);
    upkeep->addStretch();
    column->addLayout(upkeep);

    // The clear confirmation, in the page: a modal dialog would take the
    // keyboard away from the panel.
    auto *confirmation = new QVBoxLayout(m_confirmation);
    confirmation->setContentsMargins(0, 4, 0, 0);
    confirmation->setSpacing(8);
    auto *confirmTitle = new style::Label(Words(Words::fileClear).string(), 1, 13, m_confirmation);
    confirmTitle->setWeight(QFont::DemiBold);
    confirmation->addWidget(confirmTitle);
    confirmation->addWidget(new style::Label(Words(Words::fileClearHint).string(), 0.7, textPixelSize, m_confirmation));
    auto *choices = new QHBoxLayout;
    m_cancel = new style::Button(style::Button::Kind::quiet, settings, m_confirmation);
    m_cancel->setWords(Words::cancel);
    m_cancel->setObjectName(QStringLiteral("cancelClear"));
    m_confirm->setWords(Words::fileClear);
    choices->addStretch();
    choices->addWidget(m_cancel);
    choices->addWidget(m_confirm);
    confirmation->addLayout(choices);
    column->addWidget(m_confirmation);

    connect(m_signIn, &QAbstractButton::clicked, store, [store] { store->show(CaptureStore::Page::settings); });
    connect(m_primary, &QAbstractButton::clicked, this, &FileReviewView::send);
    connect(m_results, &QAbstractButton::clicked, store, [store] { store->openCollectionResults(); });
    connect(m_refresh, &QAbstractButton::clicked, this, [this] {
        if (m_store)
            spawn(m_store->collection()->load(m_options.language));
    });
    connect(m_clear, &QAbstractButton::clicked, this, [this] {
        m_confirmClear = true;
        refreshControls();
    });
    connect(m_cancel, &QAbstractButton::clicked, this, [this] {
        m_confirmClear = false;
        refreshControls();
    });
    connect(m_confirm, &QAbstractButton::clicked, this, &FileReviewView::confirmClear);

    FileCollectionStore *collection = store->collection();
    for (auto signal : {&FileCollectionStore::batchChanged, &FileCollectionStore::transferringChanged,
                        &FileCollectionStore::bytesSentChanged})
        connect(collection, signal, this, &FileReviewView::rebuildRows);
    connect(store, &CaptureStore::filesChanged, this, &FileReviewView::rebuildRows);
    connect(store, &CaptureStore::filesChanged, this, &FileReviewView::refreshControls);
    connect(store, &CaptureStore::noticeChanged, this, &FileReviewView::refreshControls);
    connect(collection, &FileCollectionStore::policyChanged, this, &FileReviewView::rebuildConsent);
    connect(collection, &FileCollectionStore::checksChanged, this, &FileReviewView::rebuildConsent);
    for (auto signal : {&FileCollectionStore::policyChanged, &FileCollectionStore::batchChanged,
                        &FileCollectionStore::busyChanged, &FileCollectionStore::failureChanged,
                        &FileCollectionStore::completedChanged, &FileCollectionStore::readyChanged})
        connect(collection, signal, this, &FileReviewView::refreshControls);
    connect(store->cloud(), &CloudStore::sessionChanged, this, [this] {
        m_confirmClear = false; // nothing of the last account is cleared by a later click
        refreshControls();
    });
    rebuildRows();
    rebuildConsent();
    refreshControls();
}

void FileReviewView::orderTabs()
{
    // Rows and consent statements are made after the buttons below them.
    QList<QWidget *> order {m_signIn};
    for (int i = 0; i < m_rows->count(); ++i) {
        if (QWidget *row = m_rows->itemAt(i)->widget())
            for (QAbstractButton *button : row->findChildren<QAbstractButton *>())
                order.append(button);
    }
    for (QAbstractButton *button : m_consent->findChildren<QAbstractButton *>())
        order.append(button);
    order << m_results << m_primary << m_refresh << m_clear << m_cancel << m_confirm;
    setReadingOrder(order);
}

FileReviewView::~FileReviewView()
{
    if (m_store)
        m_store->collection()->stopPolling();
}

void FileReviewView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_store)
        m_store->collection()->startPolling(m_options.language, m_options.pollInterval);
}

void FileReviewView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (m_store)
        m_store->collection()->stopPolling();
    // A confirmation is for what was on the page when asked, not for later.
    if (m_confirmClear) {
        m_confirmClear = false;
        refreshControls();
    }
}

void FileReviewView::send()
{
    if (!m_store)
        return;
    spawn(m_store->collection()->send(m_store->files()));
}

void FileReviewView::confirmClear()
{
    m_confirmClear = false;
    if (m_store) {
        m_store->collection()->clear();
        // The staged files go even while a collection is sending or polling.
        m_store->clearStaged();
    }
    refreshControls();
}

QString FileReviewView::noticeText() const
{
    return m_notice->isHidden() ? QString() : m_notice->text();
}

bool FileReviewView::showsHint() const
{
    return !m_hint->isHidden();
}

QStringList FileReviewView::rowTexts() const
{
    QStringList texts;
    for (int i = 0; i < m_rows->count(); ++i) {
        QWidget *row = m_rows->itemAt(i)->widget();
        if (!row)
            continue;
        QStringList parts;
        for (const style::Label *text : row->findChildren<style::Label *>())
            parts.append(text->text());
        texts.append(parts.join(u" · "_qs));
    }
    return texts;
}

void FileReviewView::rebuildRows()
{
    clearLayout(m_rows);
    if (!m_store)
        return;
    const auto reorder = qScopeGuard([this] { orderTabs(); });
    const QColor primary = palette().color(QPalette::WindowText);
    const FileCollectionStore &collection = *m_store->collection();
    if (!collection.batch()) {
        for (const QUrl &url : m_store->files()) {
            auto *row = new QWidget(this);
            auto *layout = new QHBoxLayout(row);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(8);
            layout->addWidget(symbolLabel(QStringLiteral("doc.text"), style::Metrics::faded(primary, 0.7), row));
            auto *name = new style::Label(QFileInfo(url.toLocalFile()).fileName(), 0.9, 13, row);
            layout->addWidget(name, 1);
            auto *remove = new style::Button(style::Button::Kind::quiet, m_settings, row);
            remove->setIconName(QStringLiteral("minus.circle"));
            remove->setAccessibleName(Words(Words::remove).string());
            remove->setToolTip(Words(Words::remove).string());
            connect(remove, &QAbstractButton::clicked, m_store, [store = m_store, url] {
                if (store)
                    store->remove(url);
            });
            layout->addWidget(remove);
            m_rows->addWidget(row);
        }
        return;
    }
    for (const CollectedFile &file : collection.files()) {
        auto *row = new QWidget(this);
        auto *layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        const bool ready = file.state() == FileStatus::readyForReview;
        layout->addWidget(symbolLabel(ready ? QStringLiteral("checkmark.circle.fill") : QStringLiteral("doc.text"),
                                      ready ? style::Metrics::action() : style::Metrics::faded(primary, 0.7), row),
                          0, Qt::AlignTop);
        auto *details = new QVBoxLayout;
        details->setSpacing(3);
        details->addWidget(new style::Label(file.name, 0.9, 13, row));
        details->addWidget(new style::Label(stateText(file).string(), 0.55, textPixelSize, row));
        if (collection.transferring() == file.id) {
            details->addWidget(new style::Label(Words(Words::fileTransfer).string(), 0.55, textPixelSize, row));
            auto *bar = new style::ProgressBar(row);
            bar->setProgress(collection.bytesSent(), file.size);
            details->addWidget(bar);
        }
        if (file.completed && file.total) {
            auto *progress = new QHBoxLayout;
            auto *bar = new style::ProgressBar(row);
            bar->setProgress(*file.completed, *file.total);
            progress->addWidget(bar, 1);
            progress->addWidget(new style::Label(
                QString::number(*file.completed) + u" / "_qs + QString::number(*file.total), 0.55, textPixelSize, row));
            details->addLayout(progress);
        }
        layout->addLayout(details, 1);
        m_rows->addWidget(row);
    }
}

void FileReviewView::rebuildConsent()
{
    if (!m_store)
        return;
    const auto reorder = qScopeGuard([this] { orderTabs(); });
    const FileCollectionStore &collection = *m_store->collection();
    const QStringList statements = collection.policy() ? collection.policy()->copy.checks : QStringList();
    if (m_toggles.size() != statements.size()) {
        qDeleteAll(m_toggles);
        m_toggles.clear();
        delete m_consentContent->layout();
        auto *layout = new QVBoxLayout(m_consentContent);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(2);
        for (qsizetype i = 0; i < statements.size(); ++i) {
            auto *toggle = new style::Toggle(true, m_settings, m_consentContent);
            connect(toggle, &QAbstractButton::toggled, this, [this, i](bool on) {
                if (m_store && m_store->collection()->checks().value(i) != on)
                    m_store->collection()->setCheck(i, on);
            });
            layout->addWidget(toggle);
            m_toggles.append(toggle);
        }
        if (collection.policy()) {
            const FileCollectionPolicy::Copy &copy = collection.policy()->copy;
            for (const QString &text : {copy.responsibility, copy.processing, copy.retention})
                if (!text.isEmpty())
                    layout->addWidget(new style::Label(text, 0.55, textPixelSize, m_consentContent));
        }
    }
    const QList<bool> &checks = collection.checks();
    for (qsizetype i = 0; i < m_toggles.size(); ++i) {
        m_toggles[i]->setText(statements.value(i));
        m_toggles[i]->setChecked(checks.value(i));
    }
    m_consent->setContent(m_consentContent);
}

void FileReviewView::refreshControls()
{
    if (!m_store)
        return;
    const FileCollectionStore &collection = *m_store->collection();
    const std::optional<CloudSession> &session = m_store->cloud()->session();
    const bool signedIn = session.has_value();
    m_account->setText(signedIn ? session->user.email.value_or(QString()) : Words(Words::cloudAccount).string());
    m_signIn->setVisible(!signedIn);
    const bool hasBatch = collection.batch().has_value();
    m_hint->setVisible(!hasBatch && !m_store->files().isEmpty());
    const std::optional<Words> &notice = m_store->notice();
    const bool fileNotice = notice && (*notice == Words::filePending || *notice == Words::fileError);
    m_notice->setText(fileNotice ? notice->string() : QString());
    m_notice->setVisible(fileNotice);
    m_failure->setVisible(collection.failure().has_value());
    m_failure->setText(collection.failure() ? failureText(*collection.failure()).string() : QString());
    m_consent->setVisible(collection.policy().has_value() && !collection.isCompleted());
    m_loading->setVisible(signedIn && !collection.policy() && !collection.failure());
    m_finished->setVisible(collection.isCompleted());
    m_primary->setWords(hasBatch ? Words::fileResume : Words::fileSend);
    m_primary->setEnabled(collection.isReady());
    m_primary->setVisible(!collection.isCompleted());
    const bool hasResults = collection.isCompleted() && signedIn && collection.batch()
        && collection.batch()->resultURL(session->user.id, std::nullopt).has_value();
    m_results->setVisible(hasResults);
    m_refresh->setVisible(signedIn);
    m_clear->setVisible(hasBatch || !m_store->files().isEmpty());
    m_confirmation->setVisible(m_confirmClear);
}

} // namespace vorno
