#pragma once

#include "core/FileCollectionBatch.h"
#include "core/FileCollectionPolicy.h"

#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <QCoro/QCoroTask>

#include <optional>
#include <vector>

namespace vorno {

class CloudStore;
class FileCollectionOutbox;
class NativeFileClient;

// The file collection workflow of the signed-in user: policy and consent,
// recovery copies, registration, resumable uploads, processing and polling.
// Every step is resumable: the batch is persisted after each server answer and
// a later send() with no files continues where the last one stopped.
class FileCollectionStore : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(qint64 bytesSent READ bytesSent NOTIFY bytesSentChanged)
    Q_PROPERTY(bool completed READ isCompleted NOTIFY completedChanged)
    Q_PROPERTY(bool ready READ isReady NOTIFY readyChanged)
    Q_PROPERTY(bool recordUnreadable READ isRecordUnreadable NOTIFY recordUnreadableChanged)

public:
    static constexpr qsizetype registrationPage = 128;

    // `outboxRoot` replaces the outbox's standard base directory (tests only).
    FileCollectionStore(CloudStore *cloud, NativeFileClient *client, std::optional<QString> outboxRoot = std::nullopt,
                        QObject *parent = nullptr);
    ~FileCollectionStore() override;

    [[nodiscard]] const std::optional<FileCollectionPolicy> &policy() const { return m_policy; }
    [[nodiscard]] const std::optional<FileCollectionBatch> &batch() const { return m_batch; }
    [[nodiscard]] bool isBusy() const { return m_busy; }
    [[nodiscard]] const std::optional<QString> &failure() const { return m_failure; }
    [[nodiscard]] qint64 bytesSent() const { return m_bytesSent; }
    [[nodiscard]] const std::optional<QString> &transferring() const { return m_transferring; }
    [[nodiscard]] const QList<bool> &checks() const { return m_checks; }
    // The stored batch record exists but cannot be read; only clear() helps.
    [[nodiscard]] bool isRecordUnreadable() const { return m_recordUnreadable; }

    // The batch's files without those finished with work found in them.
    [[nodiscard]] std::vector<CollectedFile> files() const;
    [[nodiscard]] bool isCompleted() const;
    [[nodiscard]] bool isReady() const;

    void setChecks(QList<bool> checks);
    void setCheck(qsizetype index, bool ticked);
    // One false tick per consent statement of the policy (none without one).
    void resetChecks();

    QCoro::Task<> load(QString locale);
    void restoreLocal();
    QCoro::Task<> send(QList<QUrl> urls);
    QCoro::Task<> poll();
    void clear();

Q_SIGNALS:
    void policyChanged();
    void batchChanged();
    void busyChanged();
    void failureChanged();
    void bytesSentChanged();
    void transferringChanged();
    void checksChanged();
    void completedChanged();
    void readyChanged();
    void recordUnreadableChanged();

private:
    [[nodiscard]] bool sameOwner(const QString &owner, const QUuid &ticket) const;
    [[nodiscard]] FileCollectionOutbox outbox(const QString &owner) const;
    void persist(const QString &owner);
    void reset();
    // Takes the stored batch of `owner` up, or notes that its record cannot be read.
    void pickUpStored(const QString &owner);
    void setRecordUnreadable(bool unreadable);
    [[nodiscard]] QJsonObject consent() const;

    // The client's json() for `owner` with a fresh session, checked before and after.
    [[nodiscard]] QCoro::Task<QJsonObject> json(QString path, QString owner, QUuid ticket, QString method,
                                                std::optional<QJsonObject> value);
    [[nodiscard]] QCoro::Task<> upload(qsizetype index, QString bucket, QString path, QString owner, QUuid ticket);
    void apply(const QJsonObject &answer, qsizetype index);
    // Drops the recovery copy of a file the server now holds.
    void dropCopyIfDelivered(const QString &owner, qsizetype index);

    [[nodiscard]] QCoro::Task<> sendSteps(QList<QUrl> urls, QString owner, QUuid ticket);
    [[nodiscard]] QCoro::Task<> preflight(QString owner, QUuid ticket);
    [[nodiscard]] QCoro::Task<> registerFree(QString owner, QUuid ticket);
    [[nodiscard]] QCoro::Task<> collect(qsizetype index, QString owner, QUuid ticket);
    [[nodiscard]] QCoro::Task<> loadSteps(QString locale, QString owner, QUuid ticket);

    void setPolicy(std::optional<FileCollectionPolicy> policy);
    void setBatch(std::optional<FileCollectionBatch> batch);
    void setBusy(bool busy);
    void setFailure(std::optional<QString> failure);
    void setBytesSent(qint64 bytes);
    void setTransferring(std::optional<QString> id);
    void updateDerived();

    QPointer<CloudStore> m_cloud;
    QPointer<NativeFileClient> m_client;
    std::optional<QString> m_outboxRoot;

    std::optional<FileCollectionPolicy> m_policy;
    std::optional<FileCollectionBatch> m_batch;
    bool m_busy = false;
    std::optional<QString> m_failure;
    qint64 m_bytesSent = 0;
    std::optional<QString> m_transferring;
    QList<bool> m_checks;
    QUuid m_generation = QUuid::createUuid();
    std::optional<QString> m_loadedLocale;
    bool m_lastCompleted = false;
    bool m_lastReady = false;
    bool m_recordUnreadable = false;
};

} // namespace vorno
