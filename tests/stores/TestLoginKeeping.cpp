#include "AwaitTask.h"
#include "services/CloudCredentials.h"
#include "core/CloudError.h"
#include "stores/CloudStore.h"
#include "services/EnclaveSessionCipher.h"
#include "stores/LoginKeeping.h"
#include "services/PersistentCredentials.h"
#include "support/Preferences.h"
#include "PrivateSessionBus.h"
#include "ScriptedTransport.h"
#include "SoftwareTpm.h"
#include "TemporaryHome.h"
#include "platform/TpmKeyStore.h"

#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>

using namespace vorno;

namespace {

const QUrl origin(u"https://vorno.example/"_qs);
const QByteArray noTpm("swtpm:host=127.0.0.1,port=1");

} // namespace

// Where the login is kept when the TPM cannot keep it: the keyring, by the
// user's choice only, against gnome-keyring on a private bus.
class TestLoginKeeping : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_bus = std::make_unique<PrivateSessionBus>();
        QVERIFY2(m_bus->isRunning() && m_bus->startKeyring(), qPrintable(m_bus->error()));
        m_tpm = std::make_unique<SoftwareTpm>();
        QVERIFY2(!m_tpm->tcti().isEmpty(), qPrintable(m_tpm->error()));
    }

    void cleanupTestCase()
    {
        m_tpm.reset();
        m_bus.reset();
        m_home.reset();
    }

    void init()
    {
        m_directory = std::make_unique<QTemporaryDir>();
        // Each test starts with an empty keyring.
        for (const QString &at : {origin.toString(), u"https://other.example/"_qs})
            CloudCredentials(QString::fromLatin1(build::appIdentifier), at).write(std::nullopt, u"session"_qs);
    }

    void keptInTheKeyringAcrossRestarts()
    {
        keepInKeyring("session one");
        const auto restarted = vault(noTpm, true);
        QCOMPARE(restarted->read(u"session"_qs), std::optional(QByteArray("session one")));
        QCOMPARE(restarted->keeper(), PersistentCredentials::Keeper::keyring);
    }

    void onlyWhenChosen()
    {
        const auto unchosen = vault(noTpm, false);
        QVERIFY_THROWS_EXCEPTION(CloudError, unchosen->write(QByteArray("session"), u"session"_qs));
        unchosen->keyring()->waitForWrites();
        QCOMPARE(vault(noTpm, true)->read(u"session"_qs), std::nullopt);
    }

    void anotherOriginsItemIsNeverUsed()
    {
        keepInKeyring("ours");
        QCOMPARE(vault(noTpm, true, QUrl(u"https://other.example/"_qs))->read(u"session"_qs), std::nullopt);
        QCOMPARE(vault(noTpm, true)->read(u"session"_qs), std::optional(QByteArray("ours")));
    }

    void signingOutRemovesIt()
    {
        keepInKeyring("session");
        const auto running = vault(noTpm, true);
        running->write(std::nullopt, u"session"_qs);
        running->keyring()->waitForWrites();
        QCOMPARE(vault(noTpm, true)->read(u"session"_qs), std::nullopt);
    }

    void turningTheSwitchOffRemovesIt()
    {
        const auto running = vault(noTpm, false);
        QVERIFY_THROWS_EXCEPTION(CloudError, running->write(QByteArray("signed in"), u"session"_qs));
        running->setKeyringChosen(true); // the session in use goes to the keyring at once
        running->keyring()->waitForWrites();
        QCOMPARE(vault(noTpm, true)->read(u"session"_qs), std::optional(QByteArray("signed in")));
        running->setKeyringChosen(false);
        running->keyring()->waitForWrites();
        QCOMPARE(vault(noTpm, true)->read(u"session"_qs), std::nullopt);
    }

    void movesToTheTpmOnceItIsUsable()
    {
        keepInKeyring("from the keyring");
        const auto usable = vault(m_tpm->tcti(), true);
        QCOMPARE(usable->read(u"session"_qs), std::optional(QByteArray("from the keyring")));
        usable->write(QByteArray("refreshed"), u"session"_qs);
        QCOMPARE(usable->keeper(), PersistentCredentials::Keeper::tpm);
        usable->keyring()->waitForWrites();
        const CloudCredentials keyring(QString::fromLatin1(build::appIdentifier), origin.toString());
        QCOMPARE(CloudCredentials(keyring).read(u"session"_qs), std::nullopt); // no second copy
        QCOMPARE(vault(m_tpm->tcti(), true)->read(u"session"_qs), std::optional(QByteArray("refreshed")));
    }

    void aClearedTpmAsksToSignInAgain()
    {
        const SoftwareTpm tpm;
        QVERIFY2(!tpm.tcti().isEmpty(), qPrintable(tpm.error()));
        vault(tpm.tcti(), false)->write(QByteArray("sealed"), u"session"_qs);
        QVERIFY(tpm.tool(u"tpm2_clear"_qs, {}));

        const auto afterClear = vault(tpm.tcti(), false);
        QVERIFY_THROWS_EXCEPTION(CloudError, (void)afterClear->read(u"session"_qs));
        Preferences preferences;
        LoginKeeping keeping(afterClear.get(), &preferences, [&tpm] { return TpmKeyStore(tpm.tcti()).diagnose(); },
                             [] { return true; });
        awaitTask(keeping.check());
        QCOMPARE(keeping.summary(), Words(Words::tpmCleared));
        QVERIFY(!keeping.offersKeyring());
    }

    // No usable TPM, the keyring switched on: a sign-in outlives the process.
    void stillSignedInAfterARestart()
    {
        const auto run = [this](bool signIn) {
            auto api = std::make_unique<ScriptedTransport>();
            auto credentials = vault(noTpm, true);
            PersistentCredentials *kept = credentials.get();
            CloudStoreOptions options;
            options.callbackScheme = u"app.vorno.test"_qs;
            CloudStore *store = nullptr;
            options.openBrowser = [&store](const QUrl &url) {
                const QString state = QUrlQuery(url).queryItemValue(u"state"_qs, QUrl::FullyDecoded);
                return store->browser()->receive(u"app.vorno.test://auth/callback?code=vm1_abc&state="_qs + state);
            };
            CloudStore cloud(std::move(api), std::move(credentials), std::move(options));
            store = &cloud;
            awaitTask(cloud.restore());
            if (signIn)
                awaitTask(cloud.login(origin));
            kept->keyring()->waitForWrites();
            return cloud.isSignedIn();
        };
        QVERIFY(run(true));
        QVERIFY(run(false));
    }

private:
    // A vault over `tcti` in this test's directory, for `at`.

    std::unique_ptr<PersistentCredentials> vault(const QByteArray &tcti, bool keyring, const QUrl &at = origin)
    {
        const QString root = m_directory->path() + u'/' + QString::number(qHash(at.toString()));
        auto credentials = std::make_unique<PersistentCredentials>(
            at, root + u"/sessions"_qs, std::make_unique<SessionCredentials>(at, root + u"/drafts"_qs),
            std::make_unique<EnclaveSessionCipher>(std::make_shared<TpmKeyStore>(tcti)));
        credentials->setKeyringChosen(keyring);
        awaitTask(credentials->prepare());
        return credentials;
    }

    void keepInKeyring(const QByteArray &session)
    {
        const auto first = vault(noTpm, true);
        first->write(session, u"session"_qs);
        QCOMPARE(first->keeper(), PersistentCredentials::Keeper::keyring);
        first->keyring()->waitForWrites();
        QVERIFY(!first->keyring()->hasFailed());
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<PrivateSessionBus> m_bus;
    std::unique_ptr<SoftwareTpm> m_tpm;
    std::unique_ptr<QTemporaryDir> m_directory;
};

QTEST_GUILESS_MAIN(TestLoginKeeping)
#include "TestLoginKeeping.moc"
