#include "platform/GlobalShortcutsPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCall>
#include <QLoggingCategory>
#include <QPointer>

#include <QCoro/QCoroDBusPendingCall>
#include <QCoro/QCoroSignal>

Q_LOGGING_CATEGORY(lcShortcuts, "vorno.platform.shortcuts")

namespace {

// One entry of the portal's a(sa{sv}) shortcut lists.
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace vorno {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

// Receives one Request's Response signal.
class PendingRequest : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

public Q_SLOTS:
    void receive(uint response, const QVariantMap &results)
    {
        m_response = response;
        m_results = results;
        m_received = true;
        Q_EMIT answered();
    }

Q_SIGNALS:
    void answered();

public:
    uint m_response = 2;
    QVariantMap m_results;
    bool m_received = false;
};

} // namespace

GlobalShortcutsPortal::GlobalShortcutsPortal(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

void GlobalShortcutsPortal::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged();
}

QCoro::Task<GlobalShortcutsPortal::Answer> GlobalShortcutsPortal::request(QString method, QVariantList arguments,
                                                                          QVariantMap options)
{
    // The request's path follows from our name and the token, so the answer
    // is listened for before the call: it may come before the call returns.
    const QString token = QStringLiteral("vorno%1").arg(++m_requests);
    const QString sender = m_bus.baseService().mid(1).replace(u'.', u'_');
    const QString path = portalPath + u"/request/"_qs + sender + u'/' + token;
    PendingRequest pending;
    m_bus.connect(portalService, path, requestInterface, QStringLiteral("Response"), &pending,
                  SLOT(receive(uint, QVariantMap)));
    options.insert(QStringLiteral("handle_token"), token);
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    arguments.append(options);
    call.setArguments(arguments);
    const QPointer guard(this);
    QDBusPendingCall sent = m_bus.asyncCall(call);
    const QDBusMessage reply = co_await sent;
    Answer answer;
    if (guard && reply.type() == QDBusMessage::ReplyMessage) {
        // The desktop may ask the user first: no time limit.
        auto answered = qCoro(&pending, &PendingRequest::answered);
        if (!pending.m_received)
            co_await answered;
        answer = {pending.m_response, pending.m_results};
    } else if (guard) {
        qCInfo(lcShortcuts) << method << "failed:" << reply.errorName();
    }
    co_return answer; // the bus forgets the match when `pending` goes
}

QCoro::Task<> GlobalShortcutsPortal::bind(QString id, QString description, QString preferredTrigger)
{
    const QPointer guard(this);
    QDBusMessage probe = QDBusMessage::createMethodCall(
        portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    probe << shortcutsInterface << QStringLiteral("version");
    QDBusPendingCall probing = m_bus.asyncCall(probe);
    const QDBusMessage version = co_await probing;
    if (!guard)
        co_return;
    if (version.type() != QDBusMessage::ReplyMessage) {
        setState(State::unavailable);
        co_return;
    }

    QVariantMap sessionOptions;
    sessionOptions.insert(QStringLiteral("session_handle_token"), QStringLiteral("vorno"));
    // Arguments go in as named values: g++ 12 mishandles braced temporaries
    // in a co_await expression.
    QCoro::Task<Answer> creating = request(QStringLiteral("CreateSession"), QVariantList(), sessionOptions);
    const Answer created = co_await std::move(creating);
    if (!guard)
        co_return;
    m_session = created.results.value(QStringLiteral("session_handle")).toString();
    if (created.response != 0 || m_session.isEmpty()) {
        setState(State::refused);
        co_return;
    }
    m_bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                  SLOT(receiveActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));

    QVariantMap properties;
    properties.insert(QStringLiteral("description"), description);
    properties.insert(QStringLiteral("preferred_trigger"), preferredTrigger);
    const QList<PortalShortcut> shortcuts {PortalShortcut {id, properties}};
    QVariantList arguments;
    arguments << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariant::fromValue(shortcuts) << QString();
    QCoro::Task<Answer> binding = request(QStringLiteral("BindShortcuts"), arguments, QVariantMap());
    const Answer bound = co_await std::move(binding);
    if (!guard)
        co_return;
    if (bound.response != 0) {
        setState(State::refused);
        co_return;
    }
    const QVariant given = bound.results.value(QStringLiteral("shortcuts"));
    QList<PortalShortcut> answered;
    if (given.canConvert<QDBusArgument>())
        given.value<QDBusArgument>() >> answered;
    for (const PortalShortcut &shortcut : answered) {
        if (shortcut.id == id)
            m_trigger = shortcut.properties.value(QStringLiteral("trigger_description")).toString();
    }
    setState(State::bound);
}

void GlobalShortcutsPortal::receiveActivated(const QDBusObjectPath &session, const QString &id, qulonglong,
                                             const QVariantMap &)
{
    if (session.path() == m_session)
        Q_EMIT activated(id);
}

} // namespace vorno

#include "GlobalShortcutsPortal.moc"
