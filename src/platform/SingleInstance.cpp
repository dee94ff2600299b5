#include "SingleInstance.h"

#include "BuildConstants.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace vorno {

namespace {

const QString interface = QStringLiteral("org.freedesktop.Application");
constexpr int forwardTimeout = 5000; // ms
// Platform data of an Activate sent by a start at login.
constexpr char backgroundKey[] = "app.vorno.background";

} // namespace

SingleInstance::SingleInstance(QString name, QDBusConnection bus, QObject *parent)
    : QObject(parent),
      m_name(name.isEmpty() ? QString::fromLatin1(build::appIdentifier) : std::move(name)),
      m_bus(std::move(bus))
{
}

SingleInstance::~SingleInstance()
{
    if (m_owner) {
        m_bus.unregisterObject(objectPath());
        m_bus.unregisterService(m_name);
    }
}

QString SingleInstance::objectPath() const
{
    return u'/' + QString(m_name).replace(u'.', u'/').replace(u'-', u'_');
}

SingleInstance::Role SingleInstance::start(const QStringList &urls, bool background)
{
    if (!m_bus.isConnected() || !m_bus.interface()) {
        m_error = QStringLiteral("no session bus: %1").arg(m_bus.lastError().message());
        return Role::failed;
    }
    if (!m_bus.registerObject(objectPath(), interface, this, QDBusConnection::ExportScriptableSlots)) {
        m_error = QStringLiteral("could not serve %1 on the session bus").arg(objectPath());
        return Role::failed;
    }
    const auto claimed = m_bus.interface()->registerService(m_name, QDBusConnectionInterface::DontQueueService,
                                                             QDBusConnectionInterface::DontAllowReplacement);
    if (claimed.isValid() && claimed.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_owner = true;
        return Role::first;
    }
    m_bus.unregisterObject(objectPath());
    return forward(urls, background);
}

SingleInstance::Role SingleInstance::forward(const QStringList &urls, bool background)
{
    QDBusMessage call = urls.isEmpty()
        ? QDBusMessage::createMethodCall(m_name, objectPath(), interface, QStringLiteral("Activate"))
        : QDBusMessage::createMethodCall(m_name, objectPath(), interface, QStringLiteral("Open"));
    if (!urls.isEmpty())
        call << urls;
    QVariantMap platformData;
    if (background)
        platformData.insert(QString::fromLatin1(backgroundKey), true);
    call << platformData;
    // BlockWithGui keeps this thread's own objects answering while it waits.
    const QDBusMessage reply = m_bus.call(call, QDBus::BlockWithGui, forwardTimeout);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return Role::forwarded;
    m_error = QStringLiteral("the running instance did not answer: %1").arg(reply.errorMessage());
    return Role::failed;
}

void SingleInstance::Activate(const QVariantMap &platformData)
{
    if (platformData.value(QString::fromLatin1(backgroundKey)).toBool())
        return; // a start at login: the running instance stays as it is
    Q_EMIT reopened();
}

void SingleInstance::Open(const QStringList &uris, const QVariantMap &)
{
    // Passed on exactly as they came: the sign-in's own check reads the raw text.
    QStringList urls;
    for (const QString &uri : uris) {
        if (QUrl(uri, QUrl::StrictMode).isValid())
            urls.append(uri);
    }
    if (!urls.isEmpty())
        Q_EMIT opened(urls);
}

void SingleInstance::ActivateAction(const QString &, const QVariantList &, const QVariantMap &)
{
    Q_EMIT reopened(); // the desktop file declares no actions
}

} // namespace vorno
