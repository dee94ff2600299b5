#include "AwaitTask.h"
#include "DataCases.h"
#include "platform/DesktopNotifications.h"
#include "services/EncouragementAlerts.h"
#include "core/EncouragementNote.h"
#include "TemporaryHome.h"
#include "support/Preferences.h"
#include "support/Words.h"

#include <QTest>

using namespace vorno;

namespace {

// A notification server that answers as told and keeps what was posted.
class ScriptedDesktop : public DesktopNotifications
{
public:
    bool present = true;
    bool accepts = true;
    int asked = 0;
    QList<EncouragementAlerts::Request> posted;

    QCoro::Task<bool> available() override
    {
        ++asked;
        co_return present;
    }
    QCoro::Task<bool> post(QString identifier, QString title, QString body) override
    {
        posted.append({identifier, title, body});
        co_return accepts;
    }
    void click(const QString &identifier) { Q_EMIT activated(identifier); }
};

const QUrl origin(QStringLiteral("https://vorno.example"));

EncouragementNote note(const QString &expiresAt = QStringLiteral("2999-01-01T00:00:00Z"))
{
    return {QStringLiteral("3F2504E0-4F89-11D3-9A0C-0305E82C3301"), QStringLiteral("You closed nine tickets."), expiresAt};
}

} // namespace

class TestEncouragementAlerts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        m_desktop = std::make_unique<ScriptedDesktop>();
        m_opened.clear();
        m_preferences = std::make_unique<Preferences>();
        m_alerts = std::make_unique<EncouragementAlerts>(
            m_desktop.get(), m_preferences.get(), [this](const QUrl &url) { return m_opened.append(url), true; },
            origin);
    }

    void destinations_data() { datacases::addTable(u"encouragement.json"_qs, u"alertDestinations"_qs); }
    void destinations()
    {
        QFETCH(QString, identifier);
        QFETCH(QString, destination);
        const std::optional<QUrl> url = EncouragementAlerts::destination(identifier, origin);
        QCOMPARE(url ? url->toString(QUrl::FullyEncoded) : QString(), destination);
        // A click opens exactly that page, or nothing.
        m_desktop->click(identifier);
        QCOMPARE(m_opened, url ? QList<QUrl> {*url} : QList<QUrl> {});
    }

    void theAlertNeverCarriesTheMessage()
    {
        QVERIFY(awaitTask(m_alerts->send(note())));
        QCOMPARE(m_desktop->posted.size(), 1);
        const EncouragementAlerts::Request posted = m_desktop->posted.first();
        QCOMPARE(posted.identifier, u"vorno-recognition-3F2504E0-4F89-11D3-9A0C-0305E82C3301"_qs);
        QCOMPARE(posted.body, Words(Words::aiPrivate).string());
        QVERIFY(!posted.title.contains(u"nine") && !posted.body.contains(u"nine"));
    }

    void theTestAlertNeedsTheUsersChoice()
    {
        QVERIFY(!awaitTask(m_alerts->test()));
        QCOMPARE(m_desktop->asked, 0); // the desktop is not even asked
        m_preferences->setEncouragementOS(true);
        QVERIFY(awaitTask(m_alerts->test()));
        QCOMPARE(m_desktop->posted.size(), 1);
        QCOMPARE(m_desktop->posted.first().identifier, EncouragementAlerts::testIdentifier);
        QCOMPARE(m_desktop->posted.first().title, u"vorno \u00B7 "_qs + Words(Words::aiTest).string());
        m_desktop->accepts = false;
        QVERIFY(!awaitTask(m_alerts->test()));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<Preferences> m_preferences;
    std::unique_ptr<EncouragementAlerts> m_alerts;
    QList<QUrl> m_opened;
};

QTEST_GUILESS_MAIN(TestEncouragementAlerts)
#include "TestEncouragementAlerts.moc"
