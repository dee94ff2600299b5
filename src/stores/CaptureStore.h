#pragma once

#include "DraftFile.h"
#include "Words.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace vorno {

// The one object the interface binds to: the note being written, the local
// draft it is kept in, the one-line notice and the panel's presentation.
class CaptureStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(Page page READ page NOTIFY pageChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QString savedText READ savedText NOTIFY savedTextChanged)
    Q_PROPERTY(bool readFailed READ readFailed NOTIFY readFailedChanged)
    Q_PROPERTY(bool expanded READ isExpanded NOTIFY expandedChanged)
    Q_PROPERTY(bool forceNotch READ forceNotch NOTIFY forceNotchChanged)
    Q_PROPERTY(bool canSave READ canSave NOTIFY canSaveChanged)

public:
    enum class Page { compose, files, settings };
    Q_ENUM(Page)

    using Action = std::function<void()>;

    // No draft file means the standard location; no notch test means the
    // "showNotch" preference (on when absent).
    explicit CaptureStore(std::optional<DraftFile> draft = std::nullopt, std::function<bool()> notchEnabled = {},
                          QObject *parent = nullptr);

    [[nodiscard]] Page page() const { return m_page; }
    [[nodiscard]] QString text() const { return m_text; }
    [[nodiscard]] QString savedText() const { return m_savedText; }
    [[nodiscard]] const std::optional<Words> &notice() const { return m_notice; }
    [[nodiscard]] bool readFailed() const { return m_readFailed; }
    [[nodiscard]] bool isExpanded() const { return m_expanded; }
    [[nodiscard]] bool forceNotch() const { return m_forceNotch; }
    [[nodiscard]] bool canSave() const;
    [[nodiscard]] const DraftFile &draftFile() const { return m_draftFile; }
    [[nodiscard]] bool notchEnabled() const { return m_notchEnabled(); }

    void setText(QString text);
    void setNotice(std::optional<Words> notice);

    // Called after every change of presentation, and instead of opening the
    // panel when the notch companion is off.
    void setPanelChanged(Action action) { m_panelChanged = std::move(action); }
    void setOpenMain(Action action) { m_openMain = std::move(action); }

    void show(Page page);
    void collapse();
    void togglePresentation();
    bool saveDraft();

Q_SIGNALS:
    void pageChanged();
    void textChanged();
    void savedTextChanged();
    void noticeChanged();
    void readFailedChanged();
    void expandedChanged();
    void forceNotchChanged();
    void canSaveChanged();

private:
    void setPage(Page page);
    void setSavedText(QString savedText);
    void setExpanded(bool expanded);
    void setForceNotch(bool forceNotch);
    void notifyPanel();
    void updateCanSave();

    Page m_page = Page::compose;
    QString m_text;
    QString m_savedText;
    std::optional<Words> m_notice;
    bool m_readFailed = false;
    bool m_expanded = false;
    bool m_forceNotch = false;
    bool m_lastCanSave = false;
    Action m_panelChanged;
    Action m_openMain;
    DraftFile m_draftFile;
    std::function<bool()> m_notchEnabled;
};

} // namespace vorno
