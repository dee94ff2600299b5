#include "app/AppDelegate.h"
#include "DataCases.h"
#include "stores/CloudStore.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "TemporaryHome.h"
#include "TestCertificates.h"

#include "BuildConstants.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QTest>

using namespace vorno;

using Page = CaptureStore::Page;

namespace {

struct Harness
{
    explicit Harness(bool companion)
    {
        AppDelegateOptions options;
        options.capture.draft = DraftFile {home.path() + u"/drafts/draft.json"_qs};
        options.capture.outboxRoot = home.path() + u"/outbox"_qs;
        options.capture.notchEnabled = [companion] { return companion; };
        options.capture.cloud = new CloudStore(std::make_unique<ScriptedTransport>(), std::make_unique<ScriptedVault>());
        options.openUrl = [](const QUrl &) { return true; };
        options.ask = [] { return QuitGuard::Choice::cancel; };
        options.quit = [] {};
        delegate = std::make_unique<AppDelegate>(std::move(options));
    }

    TemporaryHome home;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data() { datacases::addTable(u"appdelegate.json"_qs, u"commands"_qs); }

    // Every route into the panel ends on the compose page, also from another page.
    void commands()
    {
        QFETCH(bool, companion);
        QFETCH(bool, launched);
        QFETCH(QString, command);
        QFETCH(bool, expanded);

        Harness harness(companion);
        CaptureStore *store = harness.delegate->store();
        if (launched)
            harness.delegate->launch();
        store->show(Page::settings);
        store->collapse();
        if (command == u"reopen")
            harness.delegate->reopen();
        else
            harness.delegate->quickRecord();
        QCOMPARE(store->isExpanded(), expanded);
        if (expanded)
            QCOMPARE(store->page(), Page::compose);
    }

    // The desktop's open dialog: one at a time, and its answer reaches the store.
    void filesComeFromOneDialog()
    {
        Harness harness(true);
        CaptureStore *store = harness.delegate->store();
        const auto dialogs = [] {
            QList<QFileDialog *> shown;
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<QFileDialog *>(widget); dialog && dialog->isVisible())
                    shown.append(dialog);
            }
            return shown;
        };
        store->chooseFiles();
        store->chooseFiles();
        QCOMPARE(dialogs().size(), 1);
        dialogs().first()->reject();
        QTRY_VERIFY(!store->isPickingFiles());
        QVERIFY(store->files().isEmpty());

        QFile file(harness.home.path() + u"/notes.txt"_qs);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("what I did") > 0);
        file.close();
        store->chooseFiles();
        QTRY_COMPARE(dialogs().size(), 1);
        dialogs().first()->selectUrl(QUrl::fromLocalFile(file.fileName()));
        QMetaObject::invokeMethod(dialogs().first(), "accept");
        QTRY_COMPARE(store->files(), QList<QUrl> {QUrl::fromLocalFile(file.fileName())});
        QVERIFY(!store->isPickingFiles());
    }

    void developmentConfiguration_data()
    {
        datacases::addTable(u"appdelegate.json"_qs, u"developmentConfiguration"_qs);
    }

    // A development build may be pointed elsewhere; anything unusable is
    // refused whole, never half applied.
    void developmentConfiguration()
    {
        QFETCH(QString, origin);
        QFETCH(QString, authority);
        QFETCH(QString, expectedOrigin);
        QFETCH(bool, refused);

        TemporaryHome home;
        QProcessEnvironment environment;
        if (!origin.isEmpty())
            environment.insert(AppConfiguration::originVariable, origin);
        if (!authority.isEmpty()) {
            const QString path = home.path() + u"/ca.pem"_qs;
            if (authority != u"missing") {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
                if (authority == u"pem")
                    file.write(TestCertificates::instance().authority.toPem());
            }
            environment.insert(AppConfiguration::authorityVariable, path);
        }
        QString error;
        const AppConfiguration configuration = AppConfiguration::development(environment, &error);
        QCOMPARE(!error.isEmpty(), refused);
        QCOMPARE(configuration.origin, QUrl(expectedOrigin.isNull() ? QString::fromLatin1(build::webOrigin) : expectedOrigin));
        QCOMPARE(configuration.authorities.size(), authority == u"pem" ? 1 : 0);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "TestAppDelegate.moc"
