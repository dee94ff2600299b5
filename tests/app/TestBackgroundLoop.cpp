#include "AwaitTask.h"
#include "app/BackgroundLoop.h"
#include "support/CancelledError.h"
#include "stores/CaptureStore.h"
#include "stores/AccountEncouragement.h"
#include "stores/CloudStore.h"
#include "DataCases.h"
#include "core/EncouragementClaim.h"
#include "ScriptedCapture.h"
#include "ScriptedTransport.h"
#include "TemporaryHome.h"

#include <QTest>

using namespace vorno;

namespace {

const EncouragementNote note {u"3F2504E0-4F89-11D3-9A0C-0305E82C3301"_qs, u"Nine tickets closed."_qs,
                              u"2999-01-01T00:00:00Z"_qs};

} // namespace

// The loop's choices on a pass, with the notch, the application state and the
// alerts as plain values and sleeps that return at once (or stop the loop).
class TestBackgroundLoop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_capture = std::make_unique<ScriptedCapture>(m_home->path(), true);
        awaitTask(m_capture->store->cloud()->restore());
        m_capture->api->script(u"claim"_qs, {EncouragementClaim {u"user-1"_qs, note}, {}, {}});
        m_sleeps.clear();
        m_alerts.clear();
        m_notesAtRefresh.clear();
        m_stopAtSleep = -1;
    }

    void channels_data() { datacases::addTable(u"backgroundloop.json"_qs, u"channels"_qs); }
    void channels()
    {
        QFETCH(bool, active);
        QFETCH(bool, notchAwake);
        QFETCH(bool, expanded);
        QFETCH(bool, mayPresent);
        QFETCH(bool, alertsChosen);
        QFETCH(bool, authorized);
        QFETCH(bool, refreshed);
        QFETCH(bool, claimed);
        QFETCH(QString, channel);

        if (expanded)
            m_capture->store->show(CaptureStore::Page::compose);
        BackgroundLoop loop(m_capture->store.get(), hooks(active, notchAwake, mayPresent, alertsChosen, authorized));
        // Each check of the session with the service is one owner request.
        const qsizetype checksBefore = m_capture->api->count(u"owner"_qs);
        QVERIFY(awaitTask(loop.pass({})));

        QCOMPARE(m_capture->api->count(u"owner"_qs) - checksBefore, qsizetype(refreshed) + qsizetype(claimed));
        QCOMPARE(m_capture->api->count(u"claim"_qs), claimed ? 1 : 0);
        const bool inNotch = channel == u"notch";
        // Shown, then cleared after the display time, the notch refreshed each time.
        QCOMPARE(m_notesAtRefresh, (inNotch ? QList<bool> {true, false} : QList<bool> {}));
        QCOMPARE(m_sleeps, inNotch ? QList<qint64> {12} : QList<qint64> {});
        QVERIFY(!m_capture->store->cloud()->encouragement()->note());
        QCOMPARE(m_alerts, channel == u"alert" ? QList<QString> {note.id} : QList<QString> {});
    }

    void aStopDuringTheWaitEndsTheLoopAtOnce()
    {
        m_stopAtSleep = 0;
        std::stop_source stop;
        m_stop = &stop;
        BackgroundLoop loop(m_capture->store.get(), hooks(true, true, true, false, false));
        awaitTask(loop.run(stop.get_token()));
        QCOMPARE(m_sleeps, QList<qint64> {60});
        QCOMPARE(m_capture->api->count(u"claim"_qs), 0);
    }

    void aStopDuringTheDisplayLeavesTheNoteShown()
    {
        m_stopAtSleep = 1; // the 60 s wait passes, the 12 s display is stopped
        std::stop_source stop;
        m_stop = &stop;
        BackgroundLoop loop(m_capture->store.get(), hooks(false, true, true, false, false));
        awaitTask(loop.run(stop.get_token()));
        QCOMPARE(m_sleeps, (QList<qint64> {60, 12}));
        QCOMPARE(m_capture->store->cloud()->encouragement()->note(), std::optional<EncouragementNote>(note));
        QCOMPARE(m_notesAtRefresh, QList<bool> {true});
    }

private:
    BackgroundHooks hooks(bool active, bool notchAwake, bool mayPresent, bool alertsChosen, bool authorized)
    {
        BackgroundHooks hooks;
        hooks.active = [active] { return active; };
        hooks.notchAwake = [notchAwake] { return notchAwake; };
        hooks.mayPresent = [mayPresent] { return mayPresent; };
        hooks.refreshNotch = [this] { m_notesAtRefresh.append(m_capture->store->cloud()->encouragement()->note().has_value()); };
        hooks.alertsChosen = [alertsChosen] { return alertsChosen; };
        hooks.alertsAuthorized = [authorized]() -> QCoro::Task<bool> { co_return authorized; };
        hooks.sendAlert = [this](EncouragementNote sent) -> QCoro::Task<bool> {
            m_alerts.append(sent.id);
            co_return true;
        };
        hooks.sleep = [this](std::chrono::nanoseconds duration, std::stop_token) -> QCoro::Task<> {
            m_sleeps.append(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
            if (m_sleeps.size() - 1 == m_stopAtSleep) {
                m_stop->request_stop();
                throw CancelledError();
            }
            co_return;
        };
        return hooks;
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedCapture> m_capture;
    QList<qint64> m_sleeps;
    QList<QString> m_alerts;
    QList<bool> m_notesAtRefresh;
    qsizetype m_stopAtSleep = -1;
    std::stop_source *m_stop = nullptr;
};

QTEST_GUILESS_MAIN(TestBackgroundLoop)
#include "TestBackgroundLoop.moc"
