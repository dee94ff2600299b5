#pragma once

#include "core/CloudSession.h"
#include "core/PendingWork.h"
#include "stores/OperationGate.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vorno {

class CloudStore;

// The note being written for the signed-in account: its draft kept by the
// credential store, and the note sent, kept as pending until the service
// confirms it.
class AccountNote : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
    Q_PROPERTY(QString savedText READ savedText NOTIFY savedTextChanged)
    Q_PROPERTY(bool dirty READ isDirty NOTIFY dirtyChanged)
    Q_PROPERTY(bool canSend READ canSend NOTIFY canSendChanged)
    Q_PROPERTY(bool acknowledged READ isAcknowledged NOTIFY acknowledgedChanged)

public:
    static constexpr qsizetype maximumLength = PendingWork::maximumLength;

    explicit AccountNote(CloudStore *cloud);

    [[nodiscard]] QString text() const { return m_text; }
    [[nodiscard]] QString savedText() const { return m_savedText; }
    [[nodiscard]] bool isDirty() const;
    [[nodiscard]] bool canSend() const;
    [[nodiscard]] bool isAcknowledged() const { return m_acknowledged; }
    [[nodiscard]] const std::optional<PendingWork> &pending() const { return m_pending; }
    // Texts that could not be kept when their session ended, by account; they
    // come back as unsaved when that account signs in again.
    [[nodiscard]] const QHash<QString, QString> &rescuedDrafts() const { return m_rescuedDrafts; }

    void setText(QString text);
    // Keeps the text as the account's draft; false (with a notice) when it cannot.
    bool saveLocal();
    QCoro::Task<> send();
    void newNote();

Q_SIGNALS:
    void textChanged();
    void savedTextChanged();
    void dirtyChanged();
    void canSendChanged();
    void acknowledgedChanged();
    void pendingChanged();

private:
    friend class CloudStore;

    // Reads the account's draft and pending note; throws a storage CloudError
    // for an entry that is not this account's or not text.
    void open(const QString &userId);
    // Keeps unsaved text as the draft, or else rescued in memory for the account.
    void rescue();
    // After the session ended: nothing is read or sent until the next open();
    // `clearText` also empties the composer, as a sign-out does.
    void forget(bool clearText);

    [[nodiscard]] QCoro::Task<> sendSteps(CloudSession session, OperationGate::Ticket ticket);
    void setPending(std::optional<PendingWork> pending);
    void setAcknowledged(bool acknowledged);
    void setSavedText(QString savedText);
    void setReadable(bool readable);
    // Signals the derived values that really moved.
    void updateDerived();

    CloudStore *m_cloud;
    QString m_text;
    QString m_savedText;
    std::optional<PendingWork> m_pending;
    bool m_acknowledged = false;
    bool m_readable = false;
    bool m_sendAfterRefresh = false;
    QHash<QString, QString> m_rescuedDrafts;
    bool m_lastDirty = false;
    bool m_lastCanSend = false;
};

} // namespace vorno
