#include "CaptureStore.h"

#include "Text.h"
#include "UserDefaults.h"

namespace vorno {

CaptureStore::CaptureStore(std::optional<DraftFile> draft, std::function<bool()> notchEnabled, QObject *parent)
    : QObject(parent),
      m_draftFile(draft ? std::move(*draft) : DraftFile::standard()),
      m_notchEnabled(notchEnabled ? std::move(notchEnabled)
                                  : [] { return UserDefaults::boolean(UserDefaults::showNotch).value_or(true); })
{
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
    if (notice == m_notice)
        return;
    m_notice = notice;
    Q_EMIT noticeChanged();
}

void CaptureStore::setPage(Page page)
{
    if (page == m_page)
        return;
    m_page = page;
    Q_EMIT pageChanged();
}

void CaptureStore::setSavedText(QString savedText)
{
    if (savedText == m_savedText)
        return;
    m_savedText = std::move(savedText);
    Q_EMIT savedTextChanged();
}

void CaptureStore::setExpanded(bool expanded)
{
    if (expanded == m_expanded)
        return;
    m_expanded = expanded;
    Q_EMIT expandedChanged();
}

void CaptureStore::setForceNotch(bool forceNotch)
{
    if (forceNotch == m_forceNotch)
        return;
    m_forceNotch = forceNotch;
    Q_EMIT forceNotchChanged();
}

void CaptureStore::notifyPanel()
{
    if (m_panelChanged)
        m_panelChanged();
}

void CaptureStore::show(Page page)
{
    setPage(page);
    setForceNotch(true);
    setExpanded(true);
    notifyPanel();
}

void CaptureStore::collapse()
{
    setExpanded(false);
    setForceNotch(false);
    notifyPanel();
}

void CaptureStore::togglePresentation()
{
    if (m_expanded) {
        collapse();
    } else if (m_notchEnabled()) {
        show(Page::compose);
    } else if (m_openMain) {
        m_openMain();
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

} // namespace vorno
