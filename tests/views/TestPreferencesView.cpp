#include "support/AccessibilitySettings.h"
#include "DataCases.h"
#include "AwaitTask.h"
#include "support/style/Button.h"
#include "support/style/SettingsSection.h"
#include "stores/CaptureStore.h"
#include "support/style/Toggle.h"
#include "stores/CloudStore.h"
#include "core/EncouragementState.h"
#include "views/PreferencesView.h"
#include "ScriptedCapture.h"
#include "ScriptedNotificationCenter.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "TemporaryHome.h"
#include "support/Preferences.h"
#include "services/EnclaveSessionCipher.h"
#include "platform/GlobalShortcutsPortal.h"
#include "stores/LoginKeeping.h"
#include "views/LoginKeepingView.h"
#include "services/PersistentCredentials.h"
#include "platform/TpmKeyStore.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

using namespace vorno;

class TestPreferencesView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_center = ScriptedNotificationCenter();
    }

    void cleanup()
    {
        m_view.reset();
        m_store.reset();
        m_home.reset();
    }

    void encouragementStatus_data() { datacases::addTable(u"preferencesview.json"_qs, u"encouragementStatus"_qs); }

    void encouragementStatus()
    {
        QFETCH(QString, state);
        QFETCH(QString, zone);
        QFETCH(QString, expected);

        const QDateTime now(QDate(2026, 3, 2), QTime(14, 0), QTimeZone::utc()); // 23:00 in Tokyo
        EncouragementState settings;
        settings.pro = state.contains(u'p');
        settings.preferences.enabled = state.contains(u'e');
        settings.preferences.mac = state.contains(u'm');
        settings.preferences.timezone = zone;
        if (state.contains(u's'))
            settings.preferences.snoozed_until = u"2026-03-03T00:00:00Z"_qs;
        QCOMPARE(PreferencesView::encouragementStatus(settings, now).rawValue(), expected);
    }

    void permissionFlow_data()
    {
        QTest::addColumn<bool>("grants");
        QTest::addColumn<bool>("systemAlerts");
        QTest::addColumn<int>("permission");

        QTest::newRow("allowed")  << true  << true  << int(Words::aiAllowed);
        QTest::newRow("declined") << false << false << int(Words::aiBlocked);
    }

    void permissionFlow()
    {
        QFETCH(bool, grants);
        QFETCH(bool, systemAlerts);
        QFETCH(int, permission);

        makeView(true);
        m_center.grants = grants;
        m_view->requestPermission();
        QTRY_VERIFY(!m_view->isRequestingPermission());
        QCOMPARE(m_store->preferences()->encouragementOS(), systemAlerts);
        QCOMPARE(m_view->permission(), Words(Words::Value(permission)));

        // Turning alerts off and on again asks the desktop again.
        m_store->preferences()->setEncouragementOS(false);
        m_view->requestPermission();
        QTRY_VERIFY(!m_view->isRequestingPermission());
        QCOMPARE(m_center.requests, 2);
    }

    // Without a portal that offers global shortcuts, the user binds the command
    // in the desktop's own settings.
    void noGlobalShortcutsShowsTheCommand()
    {
        makeView(true);
        GlobalShortcutsPortal portal(QDBusConnection(u"no bus"_qs));
        m_view = std::make_unique<PreferencesView>(
            m_store.get(), &m_center, &m_settings,
            PreferencesView::Options {QUrl(u"https://vorno.example"_qs), {}, {}, &portal});
        QCOMPARE(m_view->shortcutCommand(), u"vorno --quick-record"_qs); // also while the desktop is asked
        awaitTask(portal.bind(u"quick-record"_qs, u"Quick record"_qs, u"CTRL+ALT+N"_qs));
        QCOMPARE(portal.state(), GlobalShortcutsPortal::State::unavailable);
        QCOMPARE(m_view->shortcutCommand(), u"vorno --quick-record"_qs);
        QCOMPARE(m_view->shortcutTrigger(), QString());
        m_view.reset();
    }

    void loginKeepingCard_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("keyringAvailable");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("switchShown");
        QTest::addColumn<bool>("switchEnabled");

        using S = TpmHealth::State;
        const QString join = u"sudo usermod -aG tss mia"_qs;
        QTest::newRow("kept by the TPM")      << int(S::working)    << true  << u"Kept by this computer's TPM"_qs << QString() << false << true;
        QTest::newRow("may not open the TPM") << int(S::permission) << true  << Words(Words::tpmPermission).string() << join << true << true;
        QTest::newRow("no TPM, no keyring")   << int(S::noDevice)   << false << Words(Words::tpmMissing).string() << QString() << true << false;
    }

    // The account card says how the login is kept, hands over the fix, and
    // offers the keyring only where the TPM will not do.
    void loginKeepingCard()
    {
        QFETCH(int, state);
        QFETCH(bool, keyringAvailable);
        QFETCH(QString, summary);
        QFETCH(QString, command);
        QFETCH(bool, switchShown);
        QFETCH(bool, switchEnabled);

        makeView(true);
        const QUrl origin(u"https://vorno.example/"_qs);
        PersistentCredentials credentials(origin, m_home->path() + u"/sessions"_qs,
                                          std::make_unique<SessionCredentials>(origin, m_home->path() + u"/drafts"_qs),
                                          std::make_unique<EnclaveSessionCipher>(
                                              std::make_shared<TpmKeyStore>("swtpm:host=127.0.0.1,port=1")));
        TpmHealth health;
        health.state = TpmHealth::State(state);
        health.fixCommand = state == int(TpmHealth::State::permission) ? u"sudo usermod -aG tss mia"_qs : QString();
        m_store->setLoginKeeping(new LoginKeeping(&credentials, m_store->preferences(), [health] { return health; },
                                                  [keyringAvailable] { return keyringAvailable; }));
        m_view = std::make_unique<PreferencesView>(m_store.get(), &m_center, &m_settings,
                                                   PreferencesView::Options {origin, {}, {}});
        m_view->show(); // Settings opening checks again
        auto *card = m_view->findChild<LoginKeepingView *>();
        QVERIFY(card);
        QTRY_COMPARE(card->summary(), summary);
        QCOMPARE(card->command(), command);
        QCOMPARE(card->keyringToggle()->isVisibleTo(card), switchShown);
        QCOMPARE(card->keyringToggle()->isEnabled(), switchEnabled);
        if (!command.isEmpty()) {
            card->copyButton()->click();
            QCOMPARE(QGuiApplication::clipboard()->text(), command);
        }
        if (switchShown && switchEnabled) {
            card->keyringToggle()->click();
            QVERIFY(m_store->preferences()->keepLoginInKeyring());
            QVERIFY(credentials.isKeyringChosen());
        }
        m_view.reset();
        m_store.reset(); // before the vault it keeps watch on
    }

private:
    void makeView(bool signedIn)
    {
        m_view.reset();
        ScriptedCapture capture(m_home->path(), signedIn);
        m_store = std::move(capture.store);
        m_api = capture.api;
        m_view = std::make_unique<PreferencesView>(m_store.get(), &m_center, &m_settings,
                                                   PreferencesView::Options {QUrl(u"https://vorno.example"_qs), {}, {}});
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<CaptureStore> m_store;
    std::unique_ptr<PreferencesView> m_view;
    ScriptedNotificationCenter m_center;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
    ScriptedTransport *m_api = nullptr;
};

QTEST_MAIN(TestPreferencesView)
#include "TestPreferencesView.moc"
