#include "DataCases.h"
#include "PrivateSessionBus.h"
#include "platform/SingleInstance.h"

#include <QSignalSpy>
#include <QTest>

using namespace vorno;

// Two starts on one private session bus, each on a connection of its own as
// two processes would be.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_bus.isRunning(), qPrintable(m_bus.error())); }

    void laterStartsForwardToTheFirst_data()
    {
        datacases::addTable(u"singleinstance.json"_qs, u"laterStartsForwardToTheFirst"_qs);
    }

    void laterStartsForwardToTheFirst()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, background);
        QFETCH(int, reopens);
        QFETCH(QStringList, opened);
        QFETCH(QString, action);

        SingleInstance first(name, connection(u"first"_qs));
        QCOMPARE(first.start({}), SingleInstance::Role::first);
        QSignalSpy reopened(&first, &SingleInstance::reopened);
        QSignalSpy urls(&first, &SingleInstance::opened);
        QSignalSpy actions(&first, &SingleInstance::actionActivated);

        SingleInstance second(name, connection(u"second"_qs));
        const SingleInstance::Role role = second.start(arguments, background, action);
        QVERIFY2(role == SingleInstance::Role::forwarded, qPrintable(second.error()));
        QTRY_COMPARE(reopened.size() + urls.size() + actions.size(),
                     reopens + (opened.isEmpty() ? 0 : 1) + (action.isEmpty() ? 0 : 1));
        QCOMPARE(reopened.size(), reopens);
        QCOMPARE(actions.isEmpty() ? QString() : actions.at(0).at(0).toString(), action);
        QStringList received;
        for (const QList<QVariant> &signal : urls)
            received += signal.at(0).toStringList();
        QCOMPARE(received, opened);
    }

    // The running instance's window answers a later start, so it needs the
    // launcher's token; the token comes from whoever calls, so it is checked.
    void theLaunchersTokenTravels_data()
    {
        datacases::addTable(u"singleinstance.json"_qs, u"theLaunchersTokenTravels"_qs);
    }

    void theLaunchersTokenTravels()
    {
        QFETCH(QByteArray, startupId);
        QFETCH(QByteArray, activationToken);
        QFETCH(QByteArray, received);

        SingleInstance first(name, connection(u"first"_qs));
        QCOMPARE(first.start({}), SingleInstance::Role::first);
        QSignalSpy reopened(&first, &SingleInstance::reopened);
        qputenv("DESKTOP_STARTUP_ID", startupId);
        qputenv("XDG_ACTIVATION_TOKEN", activationToken);
        SingleInstance second(name, connection(u"second"_qs));
        const SingleInstance::Role role = second.start({});
        qunsetenv("DESKTOP_STARTUP_ID");
        qunsetenv("XDG_ACTIVATION_TOKEN");
        QVERIFY2(role == SingleInstance::Role::forwarded, qPrintable(second.error()));
        QTRY_COMPARE(reopened.size(), 1);
        QCOMPARE(reopened.first().first().toByteArray(), received);
    }

    void aHolderThatDoesNotAnswerIsAnError()
    {
        // The name is taken by a connection that serves nothing.
        QDBusConnection squatter = connection(u"squatter"_qs);
        QVERIFY(squatter.registerService(name));
        SingleInstance late(name, connection(u"late"_qs));
        QCOMPARE(late.start({}), SingleInstance::Role::failed);
        QVERIFY(!late.error().isEmpty());
        squatter.unregisterService(name);
    }

private:
    static inline const QString name = u"app.vorno.test"_qs;

    QDBusConnection connection(const QString &label)
    {
        const QString unique = label + QString::number(++m_connections);
        return QDBusConnection::connectToBus(QString::fromUtf8(m_bus.address()), unique);
    }

    PrivateSessionBus m_bus;
    int m_connections = 0;
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "TestSingleInstance.moc"
