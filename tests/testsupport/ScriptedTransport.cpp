#include "ScriptedTransport.h"

using namespace vorno;

namespace {

template<class T>
T valueOr(const ScriptedTransport::Step &step, T fallback)
{
    if (step.error)
        std::rethrow_exception(step.error);
    if (const T *value = std::get_if<T>(&step.value))
        return *value;
    return fallback;
}

} // namespace

CloudSession ScriptedTransport::sessionFor(const QString &userId, int serial)
{
    return {QStringLiteral("access-%1-%2").arg(userId).arg(serial), QStringLiteral("refresh-%1-%2").arg(userId).arg(serial),
            1700000000.0 + serial, {userId, std::nullopt}};
}

QCoro::Task<ScriptedTransport::Step> ScriptedTransport::next(QString name)
{
    m_calls.append(name);
    Step step;
    if (!m_script[name].isEmpty())
        step = m_script[name].takeFirst();
    if (step.gate)
        co_await *step.gate;
    co_return step;
}

QCoro::Task<CloudSession> ScriptedTransport::exchange(QString code, QString verifier)
{
    Q_UNUSED(code);
    Q_UNUSED(verifier);
    const Step step = co_await next(QStringLiteral("exchange"));
    co_return valueOr(step, sessionFor(QStringLiteral("user-1")));
}

QCoro::Task<CloudSession> ScriptedTransport::refresh(CloudSession session)
{
    const Step step = co_await next(QStringLiteral("refresh"));
    co_return valueOr(step, sessionFor(session.user.id, 2));
}

QCoro::Task<QString> ScriptedTransport::owner(CloudSession session)
{
    const Step step = co_await next(QStringLiteral("owner"));
    co_return valueOr(step, session.user.id);
}

QCoro::Task<> ScriptedTransport::save(PendingWork pending, CloudSession session)
{
    Q_UNUSED(session);
    const Step step = co_await next(QStringLiteral("save"));
    if (step.error)
        std::rethrow_exception(step.error);
    m_saved.append(pending);
}

QCoro::Task<> ScriptedTransport::revoke(CloudSession session)
{
    Q_UNUSED(session);
    const Step step = co_await next(QStringLiteral("revoke"));
    if (step.error)
        std::rethrow_exception(step.error);
}

QCoro::Task<EncouragementState> ScriptedTransport::encouragement(CloudSession session)
{
    const Step step = co_await next(QStringLiteral("encouragement"));
    EncouragementState healthy;
    healthy.ownerId = session.user.id;
    healthy.available = true;
    healthy.pro = true;
    healthy.preferences.enabled = true;
    healthy.preferences.mac = true;
    co_return valueOr(step, healthy);
}

QCoro::Task<EncouragementClaim> ScriptedTransport::claimEncouragement(CloudSession session)
{
    const Step step = co_await next(QStringLiteral("claim"));
    co_return valueOr(step, EncouragementClaim {session.user.id, std::nullopt});
}

QCoro::Task<QByteArray> ScriptedTransport::fileRequest(QString path, QString method, std::optional<QByteArray> body,
                                                       CloudSession session)
{
    Q_UNUSED(path);
    Q_UNUSED(method);
    Q_UNUSED(body);
    Q_UNUSED(session);
    const Step step = co_await next(QStringLiteral("file"));
    co_return valueOr(step, QByteArray("{}"));
}
