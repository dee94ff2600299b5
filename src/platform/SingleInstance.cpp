#include "platform/SingleInstance.h"

#include "BuildConstants.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <algorithm>

namespace vorno {

namespace {

const QString interface = QStringLiteral("org.freedesktop.Application");
constexpr int forwardTimeout = 5000; // ms
// Platform data of an Activate sent by a start at login.
constexpr char backgroundKey[] = "app.vorno.background";
// Where org.freedesktop.Application carries the launcher's token: the X11
// startup notification id and the Wayland activation token.
constexpr char startupIdKey[] = "desktop-startup-id";
constexpr char activationTokenKey[] = "activation-token";
constexpr qsizetype longestToken = 256;

bool isToken(const QByteArray &text)
{
    return !text.isEmpty() && text.size() <= longestToken
        && std::all_of(text.begin(), text.end(), [](char c) { return c > ' ' && c < 0x7f && c != '"' && c != '\\'; });
}

} // namespace

SingleInstance::SingleInstance(QString name, QDBusConnection bus, QObject *parent)
    : QObject(parent), m_name(name.isEmpty() ? QString::fromLatin1(build::appIdentifier) : std::move(name)),
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

SingleInstance::Role SingleInstance::start(const QStringList &urls, bool background, const QString &action)
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
    return forward(urls, background, action);
}

SingleInstance::Role SingleInstance::forward(const QStringList &urls, bool background, const QString &action)
{
    const QString method = !action.isEmpty() ? QStringLiteral("ActivateAction")
        : urls.isEmpty()                     ? QStringLiteral("Activate")
                                             : QStringLiteral("Open");
    QDBusMessage call = QDBusMessage::createMethodCall(m_name, objectPath(), interface, method);
    if (!action.isEmpty())
        call << action << QVariantList();
    else if (!urls.isEmpty())
        call << urls;
    QVariantMap platformData;
    if (background)
        platformData.insert(QString::fromLatin1(backgroundKey), true);
    // The running instance's window answers this start: it needs the token.
    if (const QString id = qEnvironmentVariable("DESKTOP_STARTUP_ID"); !id.isEmpty())
        platformData.insert(QString::fromLatin1(startupIdKey), id);
    if (const QString token = qEnvironmentVariable("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
        platformData.insert(QString::fromLatin1(activationTokenKey), token);
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
    Q_EMIT reopened(activationToken(platformData));
}

QByteArray SingleInstance::activationToken(const QVariantMap &platformData)
{
    for (const char *key : {startupIdKey, activationTokenKey}) {
        const QVariant value = platformData.value(QString::fromLatin1(key));
        if (value.typeId() != QMetaType::QString)
            continue;
        const QByteArray token = value.toString().toLatin1();
        if (isToken(token) && QString::fromLatin1(token) == value.toString())
            return token;
    }
    return {};
}

void SingleInstance::Open(const QStringList &uris, const QVariantMap &platformData)
{
    // Passed on exactly as they came: the sign-in's own check reads the raw text.
    QStringList urls;
    for (const QString &uri : uris) {
        if (QUrl(uri, QUrl::StrictMode).isValid())
            urls.append(uri);
    }
    if (!urls.isEmpty())
        Q_EMIT opened(urls, activationToken(platformData));
}

void SingleInstance::ActivateAction(const QString &action, const QVariantList &, const QVariantMap &platformData)
{
    Q_EMIT actionActivated(action, activationToken(platformData));
}

} // namespace vorno
