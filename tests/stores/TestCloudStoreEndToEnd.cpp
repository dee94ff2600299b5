#include "AwaitTask.h"
#include "CloudClient.h"
#include "CloudStore.h"
#include "PersistentCredentials.h"
#include "SoftwareTpm.h"
#include "StandIn.h"
#include "TemporaryHome.h"

#include <QJsonArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTest>

using namespace vorno;
using namespace std::chrono_literals;

// Sign in, save, restart, restore and sign out through the real client, the
// TPM-sealed vault (software TPM) and the stand-in service.
class TestCloudStoreEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void wholeSession();

private:
    [[nodiscard]] std::unique_ptr<CloudStore> makeStore();
    // Plays the browser: loads the sign-in page, does not follow its redirect,
    // and hands the callback it points to over to the application.
    bool openBrowser(const QUrl &url);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<SoftwareTpm> m_tpm;
    std::unique_ptr<StandIn> m_standIn;
    QNetworkAccessManager m_browserNetwork;
    CloudStore *m_current = nullptr;
    QByteArray m_previousTcti;
};

void TestCloudStoreEndToEnd::initTestCase()
{
    m_home = std::make_unique<TemporaryHome>();
    m_tpm = std::make_unique<SoftwareTpm>();
    QVERIFY2(!m_tpm->tcti().isEmpty(), qPrintable(m_tpm->error()));
    m_previousTcti = qgetenv("VORNO_TPM_TCTI");
    qputenv("VORNO_TPM_TCTI", m_tpm->tcti());
    m_standIn = std::make_unique<StandIn>();
    QVERIFY2(m_standIn->isRunning(), qPrintable(m_standIn->error()));
    m_standIn->control(u"accounts"_qs, {{u"id"_qs, u"user-e2e"_qs}, {u"email"_qs, u"e2e@example.org"_qs}});
    m_standIn->control(u"signin"_qs, {{u"userId"_qs, u"user-e2e"_qs}});
}

void TestCloudStoreEndToEnd::cleanupTestCase()
{
    m_standIn.reset();
    m_tpm.reset();
    qputenv("VORNO_TPM_TCTI", m_previousTcti);
    m_home.reset();
}

bool TestCloudStoreEndToEnd::openBrowser(const QUrl &url)
{
    QNetworkRequest request(url);
    QSslConfiguration tls = request.sslConfiguration();
    tls.addCaCertificates({m_standIn->authority()});
    request.setSslConfiguration(tls);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = m_browserNetwork.get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const QString callback = QString::fromUtf8(reply->rawHeader("Location"));
        if (m_current)
            m_current->browser()->receive(callback);
    });
    return true;
}

std::unique_ptr<CloudStore> TestCloudStoreEndToEnd::makeStore()
{
    CloudClientOptions clientOptions;
    clientOptions.extraAuthorities = {m_standIn->authority()};
    CloudStoreOptions options;
    options.openBrowser = [this](const QUrl &url) { return openBrowser(url); };
    auto store = std::make_unique<CloudStore>(std::make_unique<CloudClient>(m_standIn->origin(), clientOptions),
                                              std::make_unique<PersistentCredentials>(m_standIn->origin()), options);
    m_current = store.get();
    return store;
}

void TestCloudStoreEndToEnd::wholeSession()
{
    QString accessToken;
    {
        const auto store = makeStore();
        awaitTask(store->login(m_standIn->origin()), 60s);
        QVERIFY2(store->isSignedIn(), qPrintable(store->notice() ? store->notice()->rawValue() : QString()));
        QCOMPARE(store->session()->user.email, std::optional(u"e2e@example.org"_qs));

        store->setText(u"Shipped the importer"_qs);
        QVERIFY(store->canSend());
        awaitTask(store->send(), 60s);
        QVERIFY(store->isAcknowledged());
        QCOMPARE(store->notice(), std::optional(Words(Words::cloudSaved)));
        const QJsonArray notes = m_standIn->state().value(u"notes"_qs).toArray();
        QCOMPARE(notes.size(), 1);
        QCOMPARE(notes.first().toObject().value(u"text"_qs).toString(), u"Shipped the importer"_qs);
        QCOMPARE(notes.first().toObject().value(u"ownerId"_qs).toString(), u"user-e2e"_qs);
        QCOMPARE(notes.first().toObject().value(u"id"_qs).toString(), store->pending()->id);
    }

    // A new process on the same directories and the same TPM.
    m_current = nullptr;
    const auto restarted = makeStore();
    awaitTask(restarted->restore(), 60s);
    QVERIFY2(restarted->isSignedIn(), qPrintable(restarted->notice() ? restarted->notice()->rawValue() : QString()));
    QCOMPARE(restarted->session()->user.id, u"user-e2e"_qs);
    QVERIFY(restarted->pending()); // the confirmed note comes back unconfirmed until a new note
    QVERIFY(!restarted->isAcknowledged());
    accessToken = restarted->session()->access_token;

    awaitTask(restarted->logout(), 60s);
    QVERIFY(!restarted->isSignedIn());
    QCOMPARE(restarted->notice(), std::nullopt);
    const QJsonObject sessions = m_standIn->state().value(u"sessions"_qs).toObject();
    QVERIFY(sessions.value(accessToken).toObject().value(u"revoked"_qs).toBool());

    // Nothing left to restore.
    const auto afterSignOut = makeStore();
    awaitTask(afterSignOut->restore(), 60s);
    QVERIFY(!afterSignOut->isSignedIn());
}

QTEST_GUILESS_MAIN(TestCloudStoreEndToEnd)
#include "TestCloudStoreEndToEnd.moc"
