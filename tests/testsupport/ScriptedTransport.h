#pragma once

#include "services/CloudTransport.h"
#include "support/OneShot.h"

#include <QMap>
#include <QStringList>

#include <exception>
#include <memory>
#include <variant>

// A CloudTransport whose every call follows a script: answer a value, throw,
// or wait until the test opens a gate. Unscripted calls answer as a healthy
// service would for the session they were given.
class ScriptedTransport : public vorno::CloudTransport
{
public:
    using Gate = std::shared_ptr<vorno::OneShot<bool>>;
    using Value = std::variant<std::monostate, vorno::CloudSession, QString, vorno::EncouragementState,
                               vorno::EncouragementClaim, QByteArray>;

    struct Step
    {
        Value value;
        std::exception_ptr error;
        Gate gate; // the call waits until the gate opens
    };

    // Queues the next answers of operation `name` ("exchange", "refresh", "owner",
    // "save", "revoke", "encouragement", "claim", "file").
    void script(const QString &name, Step step) { m_script[name].append(std::move(step)); }
    static Gate gate() { return std::make_shared<vorno::OneShot<bool>>(); }
    template<class E>
    static Step failing(E error) { return {{}, std::make_exception_ptr(error), {}}; }

    // Every call made, in order, by operation name.
    [[nodiscard]] const QStringList &calls() const { return m_calls; }
    [[nodiscard]] qsizetype count(const QString &name) const { return m_calls.count(name); }
    [[nodiscard]] const QList<vorno::PendingWork> &saved() const { return m_saved; }

    QCoro::Task<vorno::CloudSession> exchange(QString code, QString verifier) override;
    QCoro::Task<vorno::CloudSession> refresh(vorno::CloudSession session) override;
    QCoro::Task<QString> owner(vorno::CloudSession session) override;
    QCoro::Task<> save(vorno::PendingWork pending, vorno::CloudSession session) override;
    QCoro::Task<> revoke(vorno::CloudSession session) override;
    QCoro::Task<vorno::EncouragementState> encouragement(vorno::CloudSession session) override;
    QCoro::Task<vorno::EncouragementClaim> claimEncouragement(vorno::CloudSession session) override;
    QCoro::Task<QByteArray> fileRequest(QString path, QString method, std::optional<QByteArray> body,
                                        vorno::CloudSession session) override;

    // A session as the service would hand it out for `userId`.
    static vorno::CloudSession sessionFor(const QString &userId, int serial = 1);

private:
    // Takes the next step of `name` (or an empty one) and waits for its gate.
    QCoro::Task<Step> next(QString name);

    QMap<QString, QList<Step>> m_script;
    QStringList m_calls;
    QList<vorno::PendingWork> m_saved;
};
