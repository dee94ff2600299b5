#include "AwaitTask.h"
#include "platform/GlobalShortcutsPortal.h"
#include "PrivateSessionBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVirtualObject>
#include <QTest>

using namespace vorno;

namespace {

// One entry of the portal's a(sa{sv}) lists.
struct Shortcut
{
    QString id;
    QVariantMap properties;
};

QDBusArgument &operator<<(QDBusArgument &argument, const Shortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, Shortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(Shortcut)

namespace {

const QString portalPath = u"/org/freedesktop/portal/desktop"_qs;
const QString sessionPath = u"/org/freedesktop/portal/desktop/session/1_1/vorno"_qs;

// A desktop portal that answers as scripted: with or without global
// shortcuts, the user agreeing or not. It records what it was asked.
class ScriptedPortal : public QDBusVirtualObject
{
public:
    bool offersShortcuts = true;
    uint bindResponse = 0; // 0 agreed, 1 the user cancelled
    QStringList calls;
    QString preferredTrigger;
    QString description;

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QString member = message.member();
        calls.append(member);
        if (member == u"Get") {
            const bool ours = message.arguments().value(0).toString() == u"org.freedesktop.portal.GlobalShortcuts";
            connection.send(offersShortcuts && ours
                                ? message.createReply(QVariant::fromValue(QDBusVariant(uint(1))))
                                : message.createErrorReply(QDBusError::UnknownInterface, u"no such interface"_qs));
            return true;
        }
        if (!offersShortcuts || message.interface() != u"org.freedesktop.portal.GlobalShortcuts")
            return false;
        const QVariantMap options = qdbus_cast<QVariantMap>(message.arguments().constLast());
        const QString request = portalPath + u"/request/"_qs + message.service().mid(1).replace(u'.', u'_') + u'/'
            + options.value(u"handle_token"_qs).toString();
        connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results;
        uint response = 0;
        if (member == u"CreateSession") {
            results.insert(u"session_handle"_qs, sessionPath);
        } else if (member == u"BindShortcuts") {
            readShortcut(message.arguments().value(1).value<QDBusArgument>());
            response = bindResponse;
            const QList<Shortcut> bound {{u"quick-record"_qs, {{u"trigger_description"_qs, u"Ctrl+Alt+N"_qs}}}};
            results.insert(u"shortcuts"_qs, QVariant::fromValue(bound));
        } else {
            return false;
        }
        QDBusMessage answer = QDBusMessage::createSignal(request, u"org.freedesktop.portal.Request"_qs, u"Response"_qs);
        answer << response << results;
        connection.send(answer);
        return true;
    }

private:
    void readShortcut(const QDBusArgument &argument)
    {
        argument.beginArray();
        while (!argument.atEnd()) {
            QString id;
            QVariantMap properties;
            argument.beginStructure();
            argument >> id >> properties;
            argument.endStructure();
            description = properties.value(u"description"_qs).toString();
            preferredTrigger = properties.value(u"preferred_trigger"_qs).toString();
        }
        argument.endArray();
    }
};

} // namespace

class TestGlobalShortcutsPortal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        qDBusRegisterMetaType<Shortcut>();
        qDBusRegisterMetaType<QList<Shortcut>>();
        m_bus = std::make_unique<PrivateSessionBus>();
        QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->error()));
    }

    void cleanupTestCase() { m_bus.reset(); }

    void init()
    {
        // The portal on a connection of its own, as the desktop's would be.
        m_desktop = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QString::fromUtf8(m_bus->address()), u"desktop"_qs));
        m_portal = std::make_unique<ScriptedPortal>();
        QVERIFY(m_desktop->registerVirtualObject(portalPath, m_portal.get()));
        QVERIFY(m_desktop->registerService(u"org.freedesktop.portal.Desktop"_qs));
    }

    void cleanup()
    {
        m_desktop->unregisterService(u"org.freedesktop.portal.Desktop"_qs);
        m_desktop->unregisterObject(portalPath);
        QDBusConnection::disconnectFromBus(u"desktop"_qs);
        m_desktop.reset();
        m_portal.reset();
    }

    void outcomes_data()
    {
        QTest::addColumn<bool>("offers");
        QTest::addColumn<uint>("userAnswer");
        QTest::addColumn<int>("state");
        QTest::addColumn<QStringList>("calls");

        using S = GlobalShortcutsPortal::State;
        const QStringList all {u"Get"_qs, u"CreateSession"_qs, u"BindShortcuts"_qs};
        QTest::newRow("bound")                 << true  << 0u << int(S::bound)       << all;
        QTest::newRow("the user declines")     << true  << 1u << int(S::refused)     << all;
        QTest::newRow("no global shortcuts")   << false << 0u << int(S::unavailable) << QStringList {u"Get"_qs};
    }

    void outcomes()
    {
        QFETCH(bool, offers);
        QFETCH(uint, userAnswer);
        QFETCH(int, state);
        QFETCH(QStringList, calls);

        m_portal->offersShortcuts = offers;
        m_portal->bindResponse = userAnswer;
        GlobalShortcutsPortal portal;
        awaitTask(portal.bind(u"quick-record"_qs, u"Quick record"_qs, u"CTRL+ALT+N"_qs));
        QCOMPARE(int(portal.state()), state);
        QCOMPARE(m_portal->calls, calls);
        QCOMPARE(portal.trigger(), state == int(GlobalShortcutsPortal::State::bound) ? u"Ctrl+Alt+N"_qs : QString());
        if (offers) {
            QCOMPARE(m_portal->preferredTrigger, u"CTRL+ALT+N"_qs);
            QCOMPARE(m_portal->description, u"Quick record"_qs);
        }
    }

    void activationOpensQuickRecord()
    {
        GlobalShortcutsPortal portal;
        awaitTask(portal.bind(u"quick-record"_qs, u"Quick record"_qs, u"CTRL+ALT+N"_qs));
        QStringList fired;
        connect(&portal, &GlobalShortcutsPortal::activated, this, [&fired](const QString &id) { fired.append(id); });
        for (const QString &session : {u"/org/freedesktop/portal/desktop/session/1_1/someone_else"_qs, sessionPath}) {
            QDBusMessage activated = QDBusMessage::createSignal(portalPath, u"org.freedesktop.portal.GlobalShortcuts"_qs,
                                                                u"Activated"_qs);
            activated << QVariant::fromValue(QDBusObjectPath(session)) << u"quick-record"_qs << qulonglong(1)
                      << QVariantMap();
            QVERIFY(m_desktop->send(activated));
        }
        QTRY_COMPARE(fired, QStringList {u"quick-record"_qs}); // only our session's
    }

private:
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<QDBusConnection> m_desktop;
    std::unique_ptr<ScriptedPortal> m_portal;
};

QTEST_GUILESS_MAIN(TestGlobalShortcutsPortal)
#include "TestGlobalShortcutsPortal.moc"
