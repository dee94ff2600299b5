#include "support/style/Button.h"
#include "DataCases.h"
#include "support/style/Editor.h"
#include "stores/CaptureStore.h"
#include "views/CloudComposerView.h"
#include "stores/AccountNote.h"
#include "stores/CloudStore.h"
#include "support/ContinuousClock.h"
#include "core/DraftFile.h"
#include "app/InputPanel.h"
#include "views/NotchView.h"
#include "PrivateDesktop.h"
#include "SoftwareTpm.h"
#include "StandIn.h"
#include "TemporaryHome.h"
#include "support/Preferences.h"
#include "app/VornoApplication.h"
#include "support/Words.h"
#include "XTestInput.h"

#include <QApplication>
#include <QDesktopServices>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QFileDialog>
#include <QJsonArray>
#include <QMetaEnum>
#include <QTest>
#include <QTimer>

#include <cstdio>

using namespace vorno;
using Page = CaptureStore::Page;

namespace {

StandIn *standIn = nullptr;
PrivateDesktop *desktop = nullptr;

// A later start of the application, as the desktop runs it for `vorno URL`.
int secondStart(const QStringList &arguments)
{
    QProcess vorno;
    vorno.setProcessChannelMode(QProcess::ForwardedChannels);
    vorno.start(QStringLiteral(VORNO_BINARY_DIR "/bin/vorno-dev"), arguments);
    // Our own objects must keep answering the forwarded call while we wait.
    if (!QTest::qWaitFor([&vorno] { return vorno.state() == QProcess::NotRunning; }, 20000))
        return -1;
    return vorno.exitStatus() == QProcess::NormalExit ? vorno.exitCode() : -1;
}

QString callbackFor(const QUrl &signIn)
{
    QNetworkAccessManager network;
    QNetworkRequest request(signIn);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.addCaCertificate(standIn->authority());
    request.setSslConfiguration(tls);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    QNetworkReply *reply = network.get(request);
    (void)QTest::qWaitFor([reply] { return reply->isFinished(); }, 10000);
    const QString location = QString::fromUtf8(reply->rawHeader("location"));
    delete reply;
    return location;
}

QAbstractButton *buttonSaying(QWidget *root, Words words)
{
    for (QAbstractButton *button : root->findChildren<QAbstractButton *>()) {
        if (button->isVisible() && (button->text() == words.string() || button->accessibleName() == words.string()))
            return button;
    }
    return nullptr;
}

} // namespace

// The application as a person meets it, on a private X server with a window
// manager, a session bus, a software TPM and the stand-in service: later
// starts, a browser sign-in, a note saved to the account, and logging out.
// The background loop stands still: every wait on the clock lasts until stopped.
struct StillClock final : Clock
{
    std::chrono::nanoseconds now() const override { return ContinuousClock::now(); }
    QCoro::Task<> sleep(std::chrono::nanoseconds, std::stop_token stop) override
    {
        co_await ContinuousClock::sleep(std::chrono::hours(24), stop);
    }
};

class TestApplication : public QObject
{
    Q_OBJECT

public Q_SLOTS:
    // The desktop's browser, for every https page the application opens.
    void openedInBrowser(const QUrl &url) { m_browser.append(url); }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = std::make_unique<TemporaryHome>();
        (void)standIn->control(u"accounts"_qs, {{u"email"_qs, u"mia@example.com"_qs}, {u"pro"_qs, true}});
        QDesktopServices::setUrlHandler(u"https"_qs, this, "openedInBrowser");

        AppDelegateOptions options;
        options.configuration = {standIn->origin(), {standIn->authority()}, u".0.0.1"_qs, u".0.0.2"_qs};
        // The loop stands still (a pass would refresh the session, which disables
        // the buttons a moment). The rest runs as shipped.
        options.clock = &m_clock;
        options.quit = [] {};
        m_app = std::make_unique<VornoApplication>(std::move(options));
        // As `vorno --settings` with nothing running: launched, then Settings.
        QCOMPARE(m_app->start({}, false, AppCommand::settings), VornoApplication::Start::running);
        QVERIFY(m_app->delegate()->notch());
        QVERIFY(QTest::qWaitForWindowExposed(m_app->delegate()->notch()->panel()));
        QVERIFY(store()->isExpanded());
        QCOMPARE(store()->page(), Page::settings);
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(u"https"_qs);
        m_app.reset();
        m_home.reset();
    }

    void laterStartsReachTheRunningOne_data() { datacases::addTable(u"application.json"_qs, u"laterStartsReachTheRunningOne"_qs); }

    // The menu entry's actions start vorno again with an option: the running
    // one does it, with the keyboard in the editor for Quick record.
    void laterStartsReachTheRunningOne()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, page);
        QFETCH(QString, before);

        const auto named = [](const QString &name) { return Page(QMetaEnum::fromType<Page>().keyToValue(qPrintable(name))); };
        store()->show(named(before));
        store()->collapse();
        QCOMPARE(secondStart(arguments), 0);
        if (page.isNull()) {
            QFileDialog *chooser = nullptr;
            QTRY_VERIFY((chooser = qApp->findChild<QFileDialog *>()) || [&chooser] {
                for (QWidget *window : QApplication::topLevelWidgets())
                    if ((chooser = qobject_cast<QFileDialog *>(window)) && chooser->isVisible())
                        return true;
                return false;
            }());
            chooser->reject();
            QTRY_VERIFY(!chooser->isVisible() || QApplication::topLevelWidgets().indexOf(chooser) < 0);
            return;
        }
        QTRY_VERIFY(store()->isExpanded());
        QCOMPARE(store()->page(), named(page));
        if (named(page) == Page::compose) { // ready for typing
            const auto typingInAnEditor = [this] {
                const QList<style::Editor *> editors = notch()->findChildren<style::Editor *>();
                return QApplication::focusWidget()
                    && std::any_of(editors.begin(), editors.end(), [](style::Editor *editor) {
                           return editor->isVisible() && editor->isAncestorOf(QApplication::focusWidget());
                       });
            };
            QTRY_VERIFY(typingInAnEditor());
        }
        store()->collapse();
    }

    void signInComesBackThroughALaterStart()
    {
        store()->show(Page::settings);
        QTRY_VERIFY(buttonSaying(notch(), Words::cloudLogin));
        bool clicked = false;
        connect(buttonSaying(notch(), Words::cloudLogin), &QAbstractButton::clicked, this, [&] { clicked = true; });
        QVERIFY(click(buttonSaying(notch(), Words::cloudLogin)));
        QTRY_VERIFY(clicked);
        QTRY_COMPARE(m_browser.size(), 1);
        const QString callback = callbackFor(m_browser.takeFirst());
        QVERIFY2(callback.startsWith(u"app.vorno.desktop://auth/callback?"_qs), qPrintable(callback));

        // A callback the sign-in did not start changes nothing.
        QString forged = callback;
        forged.replace(QRegularExpression(u"state=[^&]*"_qs), u"state=forged"_qs);
        QCOMPARE(secondStart({forged}), 0); // it returns once the running one has answered
        QVERIFY(!cloud()->isSignedIn());
        QVERIFY(cloud()->browser()->isPending());

        QCOMPARE(secondStart({callback}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(cloud()->isSignedIn(), 15000);
        QCOMPARE(cloud()->session()->user.email, std::optional<QString>(u"mia@example.com"_qs));
    }

    void aTypedNoteReachesTheService()
    {
        QVERIFY(cloud()->isSignedIn());
        store()->show(Page::compose);
        QTRY_VERIFY(notch()->findChild<CloudComposerView *>() && notch()->findChild<CloudComposerView *>()->isVisible());
        style::Editor *editor = notch()->findChild<CloudComposerView *>()->editor();
        QVERIFY(click(editor));
        QTRY_VERIFY(QApplication::focusWidget() && editor->isAncestorOf(QApplication::focusWidget()));
        // Keys go where the X server's focus is: the panel must hold it first.
        QTRY_VERIFY(m_app->delegate()->notch()->panel()->isActiveWindow());
        const QString text = u"Shipped the export fix"_qs;
        QVERIFY(desktop->run(u"xdotool"_qs, {u"type"_qs, u"--delay"_qs, u"10"_qs, text}));
        QTRY_COMPARE(cloud()->note()->text(), text);
        QVERIFY(click(buttonSaying(notch(), Words::cloudSave)));
        QTRY_VERIFY_WITH_TIMEOUT(cloud()->note()->isAcknowledged(), 15000);
        const QJsonArray notes = standIn->state().value(u"notes").toArray();
        QVERIFY(!notes.isEmpty());
        QCOMPARE(notes.last().toObject().value(u"text").toString(), text);
        cloud()->note()->newNote();
        store()->collapse();
    }

    void loggingOutKeepsTheNote(); // last: it ends the application's loop

private:
    [[nodiscard]] CaptureStore *store() const { return m_app->delegate()->store(); }
    [[nodiscard]] CloudStore *cloud() const { return store()->cloud(); }
    [[nodiscard]] NotchView *notch() const { return m_app->delegate()->notch()->host(); }

    [[nodiscard]] bool click(QWidget *widget)
    {
        if (!widget)
            return false;
        const QPoint centre = widget->mapToGlobal(widget->rect().center());
        XTestInput::moveTo(centre);
        // The panel's input shape reaches the X server a moment after a change.
        const auto panel = uint32_t(m_app->delegate()->notch()->panel()->winId());
        // and Qt must have seen the pointer arrive, as it would before a person clicks.
        if (!QTest::qWaitFor([&] { return XTestInput::windowUnderPointer() == panel && widget->underMouse(); }, 5000))
            return false;
        XTestInput::clickAt(centre);
        return true;
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<VornoApplication> m_app;
    QList<QUrl> m_browser;
    StillClock m_clock;
};

// Logging out: the session manager ends the application with a plain quit
// event, and nobody is there to be asked.
void TestApplication::loggingOutKeepsTheNote()
{
    const QString typed = u"typed just before logging out"_qs;
    store()->setText(typed);
    // As Qt's session management delivers the session manager's Die, from the running loop.
    QTimer::singleShot(0, qApp, [] {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
    });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!QApplication::activeModalWidget());
    const std::optional<LocalDraft> kept = DraftFile::standard().read();
    QVERIFY(kept);
    QCOMPARE(kept->text, typed);
}

int main(int argc, char **argv)
{
    PrivateDesktop privateDesktop;
    if (!privateDesktop.isRunning())
        return std::fprintf(stderr, "TestApplication: %s\n", qPrintable(privateDesktop.error())), 1;
    SoftwareTpm tpm;
    if (tpm.tcti().isEmpty())
        return std::fprintf(stderr, "TestApplication: %s\n", qPrintable(tpm.error())), 1;
    qputenv("VORNO_TPM_TCTI", tpm.tcti());
    StandIn service;
    if (!service.isRunning())
        return std::fprintf(stderr, "TestApplication: %s\n", qPrintable(service.error())), 1;
    desktop = &privateDesktop;
    standIn = &service;
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("VORNO_REDUCE_MOTION", "1"); // widgets stand still where the clicks go
    QApplication application(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestApplication.moc"
