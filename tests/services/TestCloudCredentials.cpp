#include "services/CloudCredentials.h"
#include "core/CloudError.h"
#include "PrivateSessionBus.h"

#include <QTest>

using namespace vorno;

class TestCloudCredentials : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_bus = std::make_unique<PrivateSessionBus>();
        if (!m_bus->isRunning() || !m_bus->startKeyring())
            QSKIP(qPrintable(u"no Secret Service for the test: "_qs + m_bus->error()));
    }

    void cleanupTestCase() { m_bus.reset(); }

    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text")        << QByteArray(R"({"access_token":"a"})");
        QTest::newRow("binary")      << QByteArray("\x00\xff\x01 binary", 10);
        QTest::newRow("empty")       << QByteArray("");
        QTest::newRow("16 KiB")      << QByteArray(16384, 'k');
    }

    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        CloudCredentials store(u"test.service"_qs);
        store.write(bytes, u"session"_qs);
        QCOMPARE(store.read(u"session"_qs), std::optional(bytes));
        store.write(QByteArray("replaced"), u"session"_qs);
        QCOMPARE(store.read(u"session"_qs), std::optional(QByteArray("replaced")));
        store.write(std::nullopt, u"session"_qs);
        QCOMPARE(store.read(u"session"_qs), std::nullopt);
    }

    void missingEntries()
    {
        CloudCredentials store(u"test.service"_qs);
        QCOMPARE(store.read(u"draft:nobody"_qs), std::nullopt);
        store.write(std::nullopt, u"draft:nobody"_qs); // removing nothing is fine
    }

    void servicesAreSeparate()
    {
        CloudCredentials first(u"first.service"_qs);
        CloudCredentials second(u"second.service"_qs);
        first.write(QByteArray("one"), u"draft:u"_qs);
        second.write(QByteArray("two"), u"draft:u"_qs);
        QCOMPARE(first.read(u"draft:u"_qs), std::optional(QByteArray("one")));
        QCOMPARE(second.read(u"draft:u"_qs), std::optional(QByteArray("two")));
        first.write(std::nullopt, u"draft:u"_qs);
        QCOMPARE(second.read(u"draft:u"_qs), std::optional(QByteArray("two")));
    }

    void noSecretServiceIsStorage()
    {
        // Run last: it takes the service away.
        m_bus.reset();
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        CloudCredentials store(u"test.service"_qs);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"lookup failed"_qs));
        QVERIFY_THROWS_EXCEPTION(CloudError, (void)store.read(u"session"_qs));
    }

private:
    std::unique_ptr<PrivateSessionBus> m_bus;
};

QTEST_GUILESS_MAIN(TestCloudCredentials)
#include "TestCloudCredentials.moc"
