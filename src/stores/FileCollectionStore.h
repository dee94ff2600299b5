#pragma once

#include "core/FileCollectionBatch.h"
#include "core/FileCollectionPolicy.h"
#include "services/FileCollectionApi.h"
#include "stores/FileCollectionRun.h"
#include "stores/FileDelivery.h"
#include "stores/OperationGate.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
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
    // `outboxRoot` replaces the outbox's standard base directory (tests only).
    FileCollectionStore(CloudStore *cloud, NativeFileClient *client, std::optional<QString> outboxRoot = std::nullopt,
                        QObject *parent = nullptr);
    ~FileCollectionStore() override;

    [[nodiscard]] const std::optional<FileCollectionPolicy> &policy() const { return m_policy; }
    [[nodiscard]] const std::optional<FileCollectionBatch> &batch() const { return m_batch; }
    [[nodiscard]] bool isBusy() const { return m_gate->isBusy(); }
    [[nodiscard]] bool isPolling() const { return m_polling.has_value(); }
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
    // Loads the policy for `locale`, then polls every `interval` until stopped.
    void startPolling(QString locale, std::chrono::nanoseconds interval);
    void stopPolling();
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
    friend class FileDelivery;
    using Run = FileCollectionRun;

    [[nodiscard]] Run run(OperationGate::Ticket ticket, QString owner) const { return {ticket, m_cloud, owner}; }
    [[nodiscard]] FileCollectionOutbox outbox(const QString &owner) const;
    void persist(const QString &owner);
    // Copies the batch, lets `change` modify it, and keeps the result.
    void updateBatch(const QString &owner, const std::function<void(FileCollectionBatch &)> &change);
    void updateFile(const QString &owner, qsizetype index, const std::function<void(CollectedFile &)> &change);
    void reset();
    // Takes the stored batch of `owner` up, or notes that its record cannot be read.
    void pickUpStored(const QString &owner);
    void setRecordUnreadable(bool unreadable);
    // A fresh session for the run, which must still be current after the wait.
    [[nodiscard]] QCoro::Task<CloudSession> sessionFor(Run run);
    void apply(const FileProgress &progress, qsizetype index, const QString &owner);

    [[nodiscard]] QCoro::Task<> sendSteps(QList<QUrl> urls, Run run);
    void stage(const QList<QUrl> &urls, const QString &owner);
    [[nodiscard]] QCoro::Task<> loadSteps(QString locale, Run run);
    [[nodiscard]] QCoro::Task<> pollSteps(QString locale, std::chrono::nanoseconds interval, std::stop_token stop);

    void setPolicy(std::optional<FileCollectionPolicy> policy);
    void setBatch(std::optional<FileCollectionBatch> batch);
    void setFailure(std::optional<QString> failure);
    void setBytesSent(qint64 bytes);
    void setTransferring(std::optional<QString> id);
    void updateDerived();

    OperationGate *m_gate; // first child, so it is gone before the others
    QPointer<CloudStore> m_cloud;
    QPointer<NativeFileClient> m_client;
    FileCollectionApi m_api;
    std::optional<QString> m_outboxRoot;
    FileDelivery m_delivery {*this};

    std::optional<FileCollectionPolicy> m_policy;
    std::optional<FileCollectionBatch> m_batch;
    std::optional<QString> m_failure;
    qint64 m_bytesSent = 0;
    std::optional<QString> m_transferring;
    QList<bool> m_checks;
    std::optional<QString> m_loadedLocale;
    std::optional<std::stop_source> m_polling;
    bool m_lastCompleted = false;
    bool m_lastReady = false;
    bool m_recordUnreadable = false;
};

} // namespace vorno
