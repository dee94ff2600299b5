#include "platform/DBusSessionWatcher.h"
#include "DataCases.h"
#include "PrivateSessionBus.h"

#include <QDBusMessage>
#include <QTest>

using namespace vorno;

// Sleep (logind) and the lock (the screen savers) heard on a private bus
// that stands in for both the system and the session bus.
class TestDBusSessionWatcher : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    void done() { ++m_done; }

private Q_SLOTS:
    void awakeOnlyWhenNeitherHolds_data()
    {
        datacases::addTable(u"dbussessionwatcher.json"_qs, u"awakeOnlyWhenNeitherHolds"_qs);
    }

    void awakeOnlyWhenNeitherHolds()
    {
        QFETCH(QStringList, events);
        QFETCH(QStringList, heard);

        const PrivateSessionBus bus;
        QVERIFY2(bus.isRunning(), qPrintable(bus.error()));
        const QString address = QString::fromUtf8(bus.address());
        // One peer sends everything, so that the watcher hears it in order; it
        // owns logind's name, from which alone sleep is heard.
        const auto disconnect = qScopeGuard([] {
            QDBusConnection::disconnectFromBus(u"peer"_qs);
            QDBusConnection::disconnectFromBus(u"watcher"_qs);
        });
        QDBusConnection peer = QDBusConnection::connectToBus(address, u"peer"_qs);
        QVERIFY(peer.registerService(u"org.freedesktop.login1"_qs));
        QDBusConnection own = QDBusConnection::connectToBus(address, u"watcher"_qs);
        QVERIFY(own.connect({}, u"/test"_qs, u"org.example.Test"_qs, u"Done"_qs, this, SLOT(done())));

        DBusSessionWatcher watcher(own, own);
        QStringList got;
        connect(&watcher, &SessionWatcher::asleep, this, [&got] { got.append(u"asleep"_qs); });
        connect(&watcher, &SessionWatcher::awake, this, [&got] { got.append(u"awake"_qs); });
        for (const QString &event : events) {
            QDBusMessage signal;
            if (event == u"sleep" || event == u"wake")
                signal = QDBusMessage::createSignal(u"/org/freedesktop/login1"_qs, u"org.freedesktop.login1.Manager"_qs,
                                                    u"PrepareForSleep"_qs);
            else if (event.startsWith(u"gnome"))
                signal = QDBusMessage::createSignal(u"/org/gnome/ScreenSaver"_qs, u"org.gnome.ScreenSaver"_qs,
                                                    u"ActiveChanged"_qs);
            else
                signal = QDBusMessage::createSignal(u"/org/freedesktop/ScreenSaver"_qs, u"org.freedesktop.ScreenSaver"_qs,
                                                    u"ActiveChanged"_qs);
            signal << (event == u"sleep" || event.endsWith(u"-lock") || event == u"lock");
            QVERIFY(peer.send(signal));
        }
        // Everything sent before it has been heard once this arrives.
        const int before = m_done;
        QVERIFY(peer.send(QDBusMessage::createSignal(u"/test"_qs, u"org.example.Test"_qs, u"Done"_qs)));
        QTRY_VERIFY(m_done > before);
        QCOMPARE(got, heard);
    }

private:
    int m_done = 0;
};

QTEST_GUILESS_MAIN(TestDBusSessionWatcher)
#include "TestDBusSessionWatcher.moc"
