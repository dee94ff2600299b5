#pragma once

#include "core/DraftFile.h"
#include "platform/FilePicker.h"
#include "support/Words.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace vorno {

class CloudStore;
class LoginKeeping;
class FileCollectionStore;
class NativeFileClient;
class Preferences;

struct CaptureStoreOptions
{
    std::optional<DraftFile> draft;            // default: the standard location
    CloudStore *cloud = nullptr;               // required; taken over
    NativeFileClient *fileClient = nullptr;    // taken over; none: files are never sent
    Preferences *preferences = nullptr;        // not taken over; default: one of the store's own
    std::function<bool()> notchEnabled;        // default: the "showNotch" preference
    FilePickerFactory pickFiles;               // none: files can only be dropped
    std::function<bool(const QUrl &)> openUrl; // default: the desktop's default handler
    std::optional<QString> outboxRoot;         // tests only
};

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
    Q_PROPERTY(QList<QUrl> files READ files NOTIFY filesChanged)
    Q_PROPERTY(qsizetype pendingFileCount READ pendingFileCount NOTIFY pendingFileCountChanged)

public:
    enum class Page { compose, files, settings };
    Q_ENUM(Page)

    explicit CaptureStore(CaptureStoreOptions options = CaptureStoreOptions(), QObject *parent = nullptr);
    ~CaptureStore() override;

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
    [[nodiscard]] Preferences *preferences() const { return m_preferences; }
    // How the login is kept; none when the vault is not the application's.
    [[nodiscard]] LoginKeeping *loginKeeping() const { return m_loginKeeping; }
    // Taken over.
    void setLoginKeeping(LoginKeeping *keeping);
    [[nodiscard]] CloudStore *cloud() const { return m_cloud; }
    [[nodiscard]] FileCollectionStore *collection() const { return m_collection; }
    [[nodiscard]] const QList<QUrl> &files() const { return m_files; }
    [[nodiscard]] bool isPickingFiles() const { return m_filePicker != nullptr; }
    [[nodiscard]] qsizetype pendingFileCount() const;

    void setText(QString text);
    void setNotice(std::optional<Words> notice);

    // Asks for the main window (openMainRequested).
    void openMain() { Q_EMIT openMainRequested(); }

    void show(Page page);
    void collapse();
    void togglePresentation();
    bool saveDraft();

    // Staging files for a collection.
    void chooseFiles();
    void stage(const QList<QUrl> &urls);
    void remove(const QUrl &url);
    // The confirmed clear: every staged location goes, also while a
    // collection runs (it holds its own list).
    void clearStaged();
    void openCollectionResults();

Q_SIGNALS:
    void pageChanged();
    void textChanged();
    void savedTextChanged();
    void noticeChanged();
    void readFailedChanged();
    void expandedChanged();
    void forceNotchChanged();
    void canSaveChanged();
    void filesChanged();
    void pendingFileCountChanged();
    // After every change of presentation, also one the store does not make
    // itself (the notch setting switched in the preferences).
    void panelChanged();
    // Instead of opening the panel, when the notch companion is off.
    void openMainRequested();

private:
    void setPage(Page page);
    void setSavedText(QString savedText);
    void setExpanded(bool expanded);
    void setForceNotch(bool forceNotch);
    void updateCanSave();
    void setFiles(QList<QUrl> files);
    void updatePendingFileCount();
    // An unfinished batch refuses new files: say so on the files page.
    [[nodiscard]] bool refuseWhileCollecting();

    Page m_page = Page::compose;
    QString m_text;
    QString m_savedText;
    std::optional<Words> m_notice;
    bool m_readFailed = false;
    bool m_expanded = false;
    bool m_forceNotch = false;
    bool m_lastCanSave = false;
    qsizetype m_lastPendingFileCount = 0;
    QList<QUrl> m_files;
    CloudStore *m_cloud = nullptr;
    FileCollectionStore *m_collection = nullptr;
    FilePickerFactory m_pickFiles;
    std::shared_ptr<FilePicker> m_filePicker;
    std::function<bool(const QUrl &)> m_openUrl;
    DraftFile m_draftFile;
    Preferences *m_preferences;
    LoginKeeping *m_loginKeeping = nullptr;
    std::function<bool()> m_notchEnabled;
};

} // namespace vorno
