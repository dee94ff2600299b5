#include "stores/CaptureStore.h"

#include "support/ChangeSignal.h"

#include "core/FileIntent.h"
#include "core/Text.h"
#include "services/NativeFileClient.h"
#include "stores/AccountEncouragement.h"
#include "stores/CloudStore.h"
#include "stores/FileCollectionStore.h"
#include "stores/LoginKeeping.h"
#include "support/Preferences.h"

#include <QDesktopServices>
#include <QPointer>
#include <QTimer>

namespace vorno {

CaptureStore::CaptureStore(CaptureStoreOptions options, QObject *parent)
    : QObject(parent), m_pickFiles(std::move(options.pickFiles)),
      m_openUrl(options.openUrl ? std::move(options.openUrl)
                                : [](const QUrl &url) { return QDesktopServices::openUrl(url); }),
      m_draftFile(options.draft ? std::move(*options.draft) : DraftFile::standard()),
      m_preferences(options.preferences ? options.preferences : new Preferences(this)),
      m_notchEnabled(options.notchEnabled ? std::move(options.notchEnabled) : [preferences = QPointer(m_preferences)] {
          return !preferences || preferences->showNotch();
      })
{
    // The services are built once, by the application (or a test), and handed over.
    Q_ASSERT(options.cloud);
    m_cloud = options.cloud;
    m_cloud->setParent(this);
    if (options.fileClient)
        options.fileClient->setParent(this);
    m_collection = new FileCollectionStore(m_cloud, options.fileClient, std::move(options.outboxRoot), this);
    connect(m_collection, &FileCollectionStore::batchChanged, this, &CaptureStore::updatePendingFileCount);
    // Switched here or by another process: the panel follows either way.
    connect(m_preferences, &Preferences::showNotchChanged, this, &CaptureStore::panelChanged);

    try {
        const std::optional<LocalDraft> stored = m_draftFile.read();
        m_text = stored ? stored->text : QString();
        m_savedText = m_text;
    } catch (const std::exception &) {
        // Never overwritten by this process: saving is refused from here on.
        m_notice = Words::recovery;
        m_readFailed = true;
    }
    m_lastCanSave = canSave();
}

void CaptureStore::setLoginKeeping(LoginKeeping *keeping)
{
    m_loginKeeping = keeping;
    m_loginKeeping->setParent(this);
}

bool CaptureStore::canSave() const
{
    return !m_readFailed && !Text::isBlank(m_text);
}

void CaptureStore::updateCanSave()
{
    const bool now = canSave();
    if (now == m_lastCanSave)
        return;
    m_lastCanSave = now;
    Q_EMIT canSaveChanged();
}

void CaptureStore::setText(QString text)
{
    if (text == m_text)
        return;
    m_text = std::move(text);
    Q_EMIT textChanged();
    updateCanSave();
    // Editing after a save withdraws the confirmation; other notices stay.
    if (m_notice == Words::saved && m_text != m_savedText)
        setNotice(std::nullopt);
}

void CaptureStore::setNotice(std::optional<Words> notice)
{
    assignAndNotify(this, m_notice, std::move(notice), &CaptureStore::noticeChanged);
}

void CaptureStore::setPage(Page page)
{
    assignAndNotify(this, m_page, page, &CaptureStore::pageChanged);
}

void CaptureStore::setSavedText(QString savedText)
{
    assignAndNotify(this, m_savedText, std::move(savedText), &CaptureStore::savedTextChanged);
}

void CaptureStore::setExpanded(bool expanded)
{
    assignAndNotify(this, m_expanded, expanded, &CaptureStore::expandedChanged);
}

void CaptureStore::setForceNotch(bool forceNotch)
{
    assignAndNotify(this, m_forceNotch, forceNotch, &CaptureStore::forceNotchChanged);
}

CaptureStore::~CaptureStore() = default;

qsizetype CaptureStore::pendingFileCount() const
{
    const auto &batch = m_collection->batch();
    return batch ? qsizetype(batch->files.size()) : m_files.size();
}

void CaptureStore::updatePendingFileCount()
{
    const qsizetype count = pendingFileCount();
    if (count == m_lastPendingFileCount)
        return;
    m_lastPendingFileCount = count;
    Q_EMIT pendingFileCountChanged();
}

void CaptureStore::setFiles(QList<QUrl> files)
{
    if (files == m_files)
        return;
    m_files = std::move(files);
    Q_EMIT filesChanged();
    updatePendingFileCount();
}

void CaptureStore::show(Page page)
{
    m_cloud->encouragement()->setNote(std::nullopt);
    setPage(page);
    setForceNotch(true);
    setExpanded(true);
    Q_EMIT panelChanged();
}

void CaptureStore::collapse()
{
    setExpanded(false);
    setForceNotch(false);
    Q_EMIT panelChanged();
}

void CaptureStore::togglePresentation()
{
    if (m_expanded) {
        collapse();
    } else if (m_cloud->encouragement()->note()) {
        // The toggle only dismisses a note shown in the notch.
        m_cloud->encouragement()->setNote(std::nullopt);
        Q_EMIT panelChanged();
    } else if (m_notchEnabled()) {
        show(Page::compose);
    } else {
        Q_EMIT openMainRequested();
    }
}

bool CaptureStore::saveDraft()
{
    if (!canSave())
        return false;
    try {
        m_draftFile.save(LocalDraft::fromText(m_text));
    } catch (const std::exception &) {
        setNotice(Words::failed);
        return false;
    }
    setSavedText(m_text);
    setNotice(Words::saved);
    return true;
}

bool CaptureStore::refuseWhileCollecting()
{
    if (!m_collection->batch() || m_collection->isCompleted())
        return false;
    setNotice(Words::filePending);
    show(Page::files);
    return true;
}

void CaptureStore::chooseFiles()
{
    if (refuseWhileCollecting() || !m_pickFiles)
        return;
    if (m_filePicker) {
        m_filePicker->raise(); // never more than one picker
        return;
    }
    m_filePicker = m_pickFiles();
    if (!m_filePicker)
        return;
    const QPointer guard(this);
    m_filePicker->begin([guard](std::optional<QList<QUrl>> urls) {
        if (!guard)
            return;
        // Released from the event loop: the picker may still be on the stack.
        QTimer::singleShot(0, [picker = std::move(guard->m_filePicker)] { Q_UNUSED(picker); });
        if (urls)
            guard->stage(*urls);
    });
}

void CaptureStore::stage(const QList<QUrl> &urls)
{
    if (m_collection->isBusy() || refuseWhileCollecting())
        return;
    // Any change of the staged set withdraws consent already given.
    m_collection->resetChecks();
    QList<QUrl> staged;
    try {
        staged = FileIntent::stage(urls);
    } catch (const std::exception &) {
        setNotice(Words::fileError);
        show(Page::files);
        return;
    }
    if (m_collection->isCompleted()) {
        m_collection->clear();
        if (!m_collection->batch())
            setFiles({});
    }
    if (!m_collection->batch()) {
        setFiles(std::move(staged));
        setNotice(std::nullopt);
    }
    show(Page::files);
}

void CaptureStore::remove(const QUrl &url)
{
    if (m_collection->isBusy())
        return;
    m_collection->resetChecks();
    QList<QUrl> files = m_files;
    files.removeAll(url);
    setFiles(std::move(files));
}

void CaptureStore::clearStaged()
{
    if (!m_collection->isBusy())
        m_collection->resetChecks();
    setFiles({});
}

void CaptureStore::openCollectionResults()
{
    const auto &session = m_cloud->session();
    const auto &batch = m_collection->batch();
    if (!session || !batch)
        return;
    if (const std::optional<QUrl> url = batch->resultURL(session->user.id, std::nullopt))
        m_openUrl(*url);
}

} // namespace vorno
