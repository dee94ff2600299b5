#pragma once

#include "core/CloudSession.h"
#include "core/EncouragementNote.h"
#include "core/EncouragementState.h"
#include "core/PendingWork.h"
#include "services/BrowserLogin.h"
#include "support/Words.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimeZone>
#include <QUrl>
#include <QUuid>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace vorno {

class CloudTransport;
class CredentialStore;

struct CloudStoreOptions
{
    std::chrono::nanoseconds loginTimeout = BrowserLogin::defaultTimeout;
    BrowserLogin::Opener openBrowser = BrowserLogin::defaultOpener();
    QString callbackScheme = QString::fromLatin1(build::appIdentifier);
    std::chrono::nanoseconds fileSessionWait = std::chrono::seconds(75);
    std::chrono::nanoseconds fileSessionPoll = std::chrono::milliseconds(50);
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    QTimeZone timeZone = QTimeZone::systemTimeZone();
};

// Everything that needs the user's account: the session and its lifecycle,
// the per-account composer and saving notes, and encouragement. Lives on the
// main thread. Each operation holds a ticket, a copy of the store's generation;
// a sign-out or quit starts a new generation, and results of operations whose
// ticket is no longer current are dropped.
class CloudStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool signedIn READ isSignedIn NOTIFY sessionChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(bool acknowledged READ isAcknowledged NOTIFY acknowledgedChanged)
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QString savedText READ savedText NOTIFY savedTextChanged)
    Q_PROPERTY(bool dirty READ isDirty NOTIFY dirtyChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(bool encouragementAvailable READ isEncouragementAvailable NOTIFY encouragementAvailableChanged)
    Q_PROPERTY(bool encouragementReadFailed READ encouragementReadFailed NOTIFY encouragementReadFailedChanged)
    Q_PROPERTY(bool encouragementReading READ isEncouragementReading NOTIFY encouragementReadingChanged)

public:
    static constexpr qsizetype maximumNoteLength = PendingWork::maximumLength;

    CloudStore(std::unique_ptr<CloudTransport> api, std::unique_ptr<CredentialStore> vault,
               CloudStoreOptions options = CloudStoreOptions(), QObject *parent = nullptr);
    ~CloudStore() override;

    [[nodiscard]] const std::optional<CloudSession> &session() const { return m_session; }
    [[nodiscard]] bool isSignedIn() const { return m_session.has_value(); }
    [[nodiscard]] bool isBusy() const { return m_busy; }
    // Busy with nothing but refreshing the session: the note may still be
    // edited, and a send waits for the refresh to end.
    [[nodiscard]] bool isRefreshing() const { return m_refreshing; }
    [[nodiscard]] const std::optional<Words> &notice() const { return m_notice; }
    [[nodiscard]] const std::optional<PendingWork> &pending() const { return m_pending; }
    [[nodiscard]] bool isAcknowledged() const { return m_acknowledged; }
    [[nodiscard]] const std::optional<EncouragementNote> &encouragementNote() const { return m_encouragementNote; }
    [[nodiscard]] bool isEncouragementAvailable() const { return m_encouragementAvailable; }
    [[nodiscard]] bool encouragementReadFailed() const { return m_encouragementReadFailed; }
    [[nodiscard]] bool isEncouragementReading() const { return m_encouragementReading; }
    [[nodiscard]] const std::optional<EncouragementState> &encouragementSettings() const
    {
        return m_encouragementSettings;
    }
    [[nodiscard]] QString text() const { return m_text; }
    [[nodiscard]] QString savedText() const { return m_savedText; }
    [[nodiscard]] bool isDirty() const;
    [[nodiscard]] bool canSend() const;
    [[nodiscard]] const QHash<QString, QString> &rescuedDrafts() const { return m_rescuedDrafts; }
    [[nodiscard]] BrowserLogin *browser() const { return m_browser; }

    void setText(QString text);
    void setEncouragementNote(std::optional<EncouragementNote> note);

    // Session lifecycle.
    QCoro::Task<> restore();
    QCoro::Task<> login(QUrl origin);
    QCoro::Task<> refreshSession();
    QCoro::Task<> logout();
    // A validated session for `owner`, waiting while another operation runs.
    // Throws CloudError (authentication, unavailable after the wait) or
    // CancelledError; never sets a notice.
    [[nodiscard]] QCoro::Task<CloudSession> fileSession(QString owner, std::stop_token stop = {});
    // False when an unsaved composer text could not be kept.
    [[nodiscard]] bool prepareToQuit();
    bool saveLocal();

    // Saving notes.
    QCoro::Task<> send();
    void newNote();

    // Encouragement.
    QCoro::Task<> refreshEncouragementAvailability();
    [[nodiscard]] QCoro::Task<std::optional<EncouragementNote>> nextEncouragement();
    void presentEncouragement(const EncouragementNote &note);

Q_SIGNALS:
    void sessionChanged();
    void busyChanged();
    void noticeChanged();
    void pendingChanged();
    void acknowledgedChanged();
    void encouragementNoteChanged();
    void encouragementAvailableChanged();
    void encouragementReadFailedChanged();
    void encouragementReadingChanged();
    void encouragementSettingsChanged();
    void textChanged();
    void savedTextChanged();
    void dirtyChanged();
    void canSendChanged();

private:
    [[nodiscard]] bool isCurrent(const QUuid &ticket) const { return m_generation == ticket; }
    void finallyStep(const QUuid &ticket);
    // Sets the notice for a failure of restore, login, refreshSession or send.
    void handleFailure(const std::exception_ptr &error, Words storageNotice, bool conflict);

    // Awaits an operation's steps; a failure while `ticket` is current becomes
    // its notice, then the finally step runs. True when it failed.
    [[nodiscard]] QCoro::Task<bool> runOperation(QCoro::Task<> steps, QUuid ticket, Words storageNotice, bool conflict);
    [[nodiscard]] QCoro::Task<> restoreSteps(QUuid ticket);
    [[nodiscard]] QCoro::Task<> refreshSteps(CloudSession session, QUuid ticket);
    [[nodiscard]] QCoro::Task<> loginSteps(QUrl origin, QUuid ticket);
    [[nodiscard]] QCoro::Task<> sendSteps(CloudSession session, QUuid ticket);
    [[nodiscard]] QCoro::Task<> accept(CloudSession session, QUuid ticket);
    [[nodiscard]] QCoro::Task<CloudSession> validated(CloudSession session, QUuid ticket);
    [[nodiscard]] QCoro::Task<std::optional<EncouragementNote>> claimSteps(CloudSession session, QUuid ticket);
    void lock();
    void clearEncouragement();
    void cancelLogin();

    void setSession(std::optional<CloudSession> session);
    // `refreshing`: the work is a session refresh alone. Both are announced by busyChanged.
    void setBusy(bool busy, bool refreshing = false);
    void setNotice(std::optional<Words> notice);
    void setPending(std::optional<PendingWork> pending);
    void setAcknowledged(bool acknowledged);
    void setSavedText(QString savedText);
    void setEncouragementAvailable(bool available);
    void setEncouragementReadFailed(bool failed);
    void setEncouragementReading(bool reading);
    void setEncouragementSettings(std::optional<EncouragementState> settings);
    void setDraftReadable(bool readable);
    // Signals the derived values that really moved.
    void updateDerived();

    std::unique_ptr<CloudTransport> m_api;
    std::unique_ptr<CredentialStore> m_vault;
    CloudStoreOptions m_options;
    BrowserLogin *m_browser;

    std::optional<CloudSession> m_session;
    bool m_busy = false;
    bool m_refreshing = false;
    bool m_sendAfterRefresh = false;
    std::optional<Words> m_notice;
    std::optional<PendingWork> m_pending;
    bool m_acknowledged = false;
    std::optional<EncouragementNote> m_encouragementNote;
    bool m_encouragementAvailable = false;
    bool m_encouragementReadFailed = false;
    bool m_encouragementReading = false;
    std::optional<EncouragementState> m_encouragementSettings;
    QString m_text;
    QString m_savedText;
    QUuid m_generation = QUuid::createUuid();
    bool m_restored = false;
    bool m_draftReadable = false;
    QHash<QString, QString> m_rescuedDrafts;
    bool m_lastDirty = false;
    bool m_lastCanSend = false;
};

} // namespace vorno
