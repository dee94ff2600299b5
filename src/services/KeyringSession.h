#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <QCoro/QCoroTask>

#include <optional>

namespace vorno {

// The login kept in the desktop keyring, for a user who chose that where no
// TPM can keep it. A locked keyring asks through its own dialog, which can
// take as long as the user likes, so every keyring call runs on one worker
// thread, in order; the interface thread sees the value as last read or
// written.
class KeyringSession : public QObject
{
    Q_OBJECT

public:
    // The item is bound to the app identifier and `origin`.
    explicit KeyringSession(QString origin, QObject *parent = nullptr);
    ~KeyringSession() override;

    // Whether a Secret Service provider runs or can be started on the
    // session bus.
    [[nodiscard]] static bool isServiceAvailable();

    // Reads the item once; later calls return at once.
    QCoro::Task<> load();
    [[nodiscard]] const std::optional<QByteArray> &value() const { return m_value; }

    // Keeps `value` now and in the keyring after the calls before it.
    void write(std::optional<QByteArray> value);

    // The last keyring call failed: the keyring does not hold what value() says.
    [[nodiscard]] bool hasFailed() const { return m_failed; }

    // Blocks until every queued call has ended.
    void waitForWrites();

Q_SIGNALS:
    void failedChanged();

private:
    void setFailed(bool failed);

    QString m_origin;
    QThreadPool m_worker;
    std::optional<QByteArray> m_value;
    bool m_loaded = false;
    bool m_failed = false;
};

} // namespace vorno
