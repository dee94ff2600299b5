#include "CloudStoreFixture.h"

// Reading whether encouragement is offered, and claiming a note.
class TestAccountEncouragement : public CloudStoreFixture
{
    Q_OBJECT

private Q_SLOTS:
    void init() { reset(); }

    void encouragementRead_data() { datacases::addTable(u"cloudstore.json"_qs, u"encouragementRead"_qs); }

    void encouragementRead()
    {
        QFETCH(QString, state);
        QFETCH(bool, available);
        QFETCH(bool, readFailed);
        QFETCH(bool, hasSettings);

        signIn();
        m_api->script(u"encouragement"_qs, step(state));
        QSignalSpy reading(m_store->encouragement(), &AccountEncouragement::readingChanged);
        awaitTask(m_store->encouragement()->refreshAvailability());
        QCOMPARE(reading.count(), 2); // on, then off
        QVERIFY(!m_store->encouragement()->isReading());
        QCOMPARE(m_store->encouragement()->isAvailable(), available);
        QCOMPARE(m_store->encouragement()->readFailed(), readFailed);
        QCOMPARE(m_store->encouragement()->settings().has_value(), hasSettings);
        QCOMPARE(m_store->notice(), std::nullopt);
        QVERIFY(m_store->isSignedIn()); // reads never end the session
        QVERIFY(!m_store->isBusy());
    }

    void nextEncouragement_data() { datacases::addTable(u"cloudstore.json"_qs, u"nextEncouragement"_qs); }

    void nextEncouragement()
    {
        QFETCH(bool, mac);
        QFETCH(QString, claim);
        QFETCH(bool, delivered);
        QFETCH(int, claims);

        signIn();
        m_store->encouragement()->present({u"shown"_qs, u"Shown before."_qs, u"2999-01-01T00:00:00Z"_qs});
        QVERIFY(m_store->encouragement()->note());
        EncouragementState state;
        state.ownerId = user;
        state.available = true;
        state.pro = true;
        state.preferences.enabled = true;
        state.preferences.mac = mac;
        m_api->script(u"encouragement"_qs, answer(state));
        m_api->script(u"claim"_qs, step(claim));

        const std::optional<EncouragementNote> note = awaitTask(m_store->encouragement()->next());
        QCOMPARE(note.has_value(), delivered);
        QCOMPARE(m_api->count(u"claim"_qs), claims);
        QCOMPARE(m_store->encouragement()->note().has_value(), mac); // the channel switched off clears what is shown
        QVERIFY(!m_store->isBusy());
        QCOMPARE(m_store->notice(), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestAccountEncouragement)
#include "TestAccountEncouragement.moc"
