#include "AwaitTask.h"
#include "app/BackgroundLoop.h"
#include "support/CancelledError.h"
#include "support/Clock.h"
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

// The notch, the application state and the alerts as plain values.
struct Hooks final : BackgroundHooks
{
    bool active = false, notchAwake = false, presentable = false, chosen = false, authorized = false;
    std::function<void()> refreshed;
    QList<QString> *alerts = nullptr;

    bool isActive() const override { return active; }
    bool isNotchAwake() const override { return notchAwake; }
    bool mayPresent() const override { return presentable; }
    void refreshNotch() override { refreshed(); }
    bool alertsChosen() const override { return chosen; }
    QCoro::Task<bool> alertsAuthorized() override { co_return authorized; }
    QCoro::Task<bool> sendAlert(EncouragementNote sent) override
    {
        alerts->append(sent.id);
        co_return true;
    }
};

// Sleeps that return at once and are written down, or stop the loop at the
// chosen one.
struct RecordingClock final : Clock
{
    QList<qint64> sleeps;
    qsizetype stopAt = -1;
    std::stop_source *stop = nullptr;

    std::chrono::nanoseconds now() const override { return {}; }
    QCoro::Task<> sleep(std::chrono::nanoseconds duration, std::stop_token) override
    {
        sleeps.append(std::chrono::duration_cast<std::chrono::seconds>(duration).count());
        if (sleeps.size() - 1 == stopAt) {
            stop->request_stop();
            throw CancelledError();
        }
        co_return;
    }
};

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
        m_clock.sleeps.clear();
        m_clock.stopAt = -1;
        m_alerts.clear();
        m_notesAtRefresh.clear();
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
        BackgroundLoop loop(m_capture->store.get(), hooks(active, notchAwake, mayPresent, alertsChosen, authorized), &m_clock);
        // Each check of the session with the service is one owner request.
        const qsizetype checksBefore = m_capture->api->count(u"owner"_qs);
        QVERIFY(awaitTask(loop.pass({})));

        QCOMPARE(m_capture->api->count(u"owner"_qs) - checksBefore, qsizetype(refreshed) + qsizetype(claimed));
        QCOMPARE(m_capture->api->count(u"claim"_qs), claimed ? 1 : 0);
        const bool inNotch = channel == u"notch";
        // Shown, then cleared after the display time, the notch refreshed each time.
        QCOMPARE(m_notesAtRefresh, (inNotch ? QList<bool> {true, false} : QList<bool> {}));
        QCOMPARE(m_clock.sleeps, inNotch ? QList<qint64> {12} : QList<qint64> {});
        QVERIFY(!m_capture->store->cloud()->encouragement()->note());
        QCOMPARE(m_alerts, channel == u"alert" ? QList<QString> {note.id} : QList<QString> {});
    }

    void aStopDuringTheWaitEndsTheLoopAtOnce()
    {
        m_clock.stopAt = 0;
        std::stop_source stop;
        m_clock.stop = &stop;
        BackgroundLoop loop(m_capture->store.get(), hooks(true, true, true, false, false), &m_clock);
        awaitTask(loop.run(stop.get_token()));
        QCOMPARE(m_clock.sleeps, QList<qint64> {60});
        QCOMPARE(m_capture->api->count(u"claim"_qs), 0);
    }

    void aStopDuringTheDisplayLeavesTheNoteShown()
    {
        m_clock.stopAt = 1; // the 60 s wait passes, the 12 s display is stopped
        std::stop_source stop;
        m_clock.stop = &stop;
        BackgroundLoop loop(m_capture->store.get(), hooks(false, true, true, false, false), &m_clock);
        awaitTask(loop.run(stop.get_token()));
        QCOMPARE(m_clock.sleeps, (QList<qint64> {60, 12}));
        QCOMPARE(m_capture->store->cloud()->encouragement()->note(), std::optional<EncouragementNote>(note));
        QCOMPARE(m_notesAtRefresh, QList<bool> {true});
    }

private:
    std::unique_ptr<BackgroundHooks> hooks(bool active, bool notchAwake, bool mayPresent, bool alertsChosen,
                                           bool authorized)
    {
        auto hooks = std::make_unique<Hooks>();
        hooks->active = active;
        hooks->notchAwake = notchAwake;
        hooks->presentable = mayPresent;
        hooks->chosen = alertsChosen;
        hooks->authorized = authorized;
        hooks->alerts = &m_alerts;
        hooks->refreshed = [this] {
            m_notesAtRefresh.append(m_capture->store->cloud()->encouragement()->note().has_value());
        };
        return hooks;
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedCapture> m_capture;
    RecordingClock m_clock;
    QList<QString> m_alerts;
    QList<bool> m_notesAtRefresh;
};

QTEST_GUILESS_MAIN(TestBackgroundLoop)
#include "TestBackgroundLoop.moc"
