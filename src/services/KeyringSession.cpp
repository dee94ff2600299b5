#include "services/KeyringSession.h"

#include "BuildConstants.h"
#include "services/CloudCredentials.h"
#include "support/OffThread.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QPointer>

namespace vorno {

namespace {

const QString sessionKey = QStringLiteral("session");
const QString secretService = QStringLiteral("org.freedesktop.secrets");

CloudCredentials store(const QString &origin)
{
    return CloudCredentials(QString::fromLatin1(build::appIdentifier), origin);
}

struct ReadResult
{
    std::optional<QByteArray> value;
    bool failed = false;
};

} // namespace

KeyringSession::KeyringSession(QString origin, QObject *parent) : QObject(parent), m_origin(std::move(origin))
{
    m_worker.setMaxThreadCount(1); // one at a time, in the order asked
}

KeyringSession::~KeyringSession()
{
    waitForWrites();
}

bool KeyringSession::isServiceAvailable()
{
    const QDBusConnectionInterface *bus = QDBusConnection::sessionBus().interface();
    if (!bus)
        return false;
    if (bus->isServiceRegistered(secretService).value())
        return true;
    return bus->activatableServiceNames().value().contains(secretService);
}

QCoro::Task<> KeyringSession::load()
{
    if (m_loaded)
        co_return;
    const QPointer guard(this);
    QFuture<ReadResult> reading = offThread(&m_worker, [origin = m_origin] {
        try {
            return ReadResult {store(origin).read(sessionKey), false};
        } catch (const std::exception &) {
            return ReadResult {std::nullopt, true};
        }
    });
    const ReadResult result = co_await reading;
    if (!guard || m_loaded) // a write came first: it is newer
        co_return;
    m_loaded = true;
    m_value = result.value;
    setFailed(result.failed);
}

void KeyringSession::write(std::optional<QByteArray> value)
{
    m_loaded = true;
    m_value = value;
    // The destructor waits for the worker, and drops what it posts after.
    m_worker.start([this, origin = m_origin, value = std::move(value)] {
        bool failed = false;
        try {
            store(origin).write(value, sessionKey);
        } catch (const std::exception &) {
            failed = true;
        }
        QMetaObject::invokeMethod(
            this, [this, failed] { setFailed(failed); }, Qt::QueuedConnection);
    });
}

void KeyringSession::waitForWrites()
{
    m_worker.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); // their outcomes
}

void KeyringSession::setFailed(bool failed)
{
    if (failed == m_failed)
        return;
    m_failed = failed;
    Q_EMIT failedChanged();
}

} // namespace vorno
