#include "support/AccessibilitySettings.h"
#include "AwaitTask.h"
#include "support/style/Button.h"
#include "stores/CaptureStore.h"
#include "support/style/Toggle.h"
#include "services/CloudClient.h"
#include "stores/CloudStore.h"
#include "FileChecks.h"
#include "stores/FileCollectionStore.h"
#include "views/FileReviewView.h"
#include "FocusChain.h"
#include "services/NativeFileClient.h"
#include "core/NotchLayout.h"
#include "views/NotchPresentation.h"
#include "views/NotchView.h"
#include "ScriptedCapture.h"
#include "ScriptedVault.h"
#include "StandIn.h"
#include "TemporaryHome.h"

#include <QJsonDocument>
#include <QTest>
#include <QUuid>

using namespace vorno;
using namespace std::chrono_literals;

class TestFileReviewView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void pollsWhileShown();
    void clearEmptiesTheStagedFiles();
    void pageFollowsItsStores();
    void tabFollowsTheReadingOrder();
    void consentGatesTheCollection();

private:
    void makeStore(CloudStore *cloud, NativeFileClient *files = nullptr);
    [[nodiscard]] QList<QUrl> stage(const QStringList &names);

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<CaptureStore> m_store;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
};

void TestFileReviewView::init()
{
    m_home = std::make_unique<TemporaryHome>();
}

void TestFileReviewView::cleanup()
{
    m_store.reset();
    m_home.reset();
}

void TestFileReviewView::makeStore(CloudStore *cloud, NativeFileClient *files)
{
    m_store = ScriptedCapture(m_home->path(), false, cloud, files).store;
}

QList<QUrl> TestFileReviewView::stage(const QStringList &names)
{
    QList<QUrl> urls;
    for (const QString &name : names) {
        filechecks::writeFile(m_home->path() + u'/' + name, "notes");
        urls.append(QUrl::fromLocalFile(m_home->path() + u'/' + name));
    }
    m_store->stage(urls);
    return urls;
}

void TestFileReviewView::pollsWhileShown()
{
    makeStore(nullptr);
    FileReviewView view(m_store.get(), &m_settings, {u"en"_qs, 10ms});
    QVERIFY(!m_store->collection()->isPolling());
    view.show();
    QVERIFY(m_store->collection()->isPolling());
    view.hide();
    QVERIFY(!m_store->collection()->isPolling());
    view.show();
    QVERIFY(m_store->collection()->isPolling());
}

void TestFileReviewView::clearEmptiesTheStagedFiles()
{
    makeStore(nullptr);
    const QList<QUrl> staged = stage({u"a.txt"_qs, u"b.txt"_qs});
    FileReviewView view(m_store.get(), &m_settings, {u"en"_qs, 5s});
    QCOMPARE(view.rowTexts(), (QStringList {u"a.txt"_qs, u"b.txt"_qs}));
    view.clearButton()->click();
    QVERIFY(view.isConfirmingClear());
    QCOMPARE(m_store->files(), staged); // nothing goes before the confirmation
    view.confirmClearButton()->click();
    QVERIFY(!view.isConfirmingClear());
    QVERIFY(m_store->files().isEmpty());
    QVERIFY(view.rowTexts().isEmpty());
}

// The page was built before anything was staged, as when it is first opened.
void TestFileReviewView::pageFollowsItsStores()
{
    makeStore(nullptr);
    FileReviewView view(m_store.get(), &m_settings, {u"en"_qs, 1h});
    QVERIFY(!view.showsHint());
    QVERIFY(view.clearButton()->isHidden());
    (void)stage({u"a.txt"_qs});
    QVERIFY(view.showsHint());
    QVERIFY(!view.clearButton()->isHidden());
    QCOMPARE(view.noticeText(), QString());

    m_store->stage({QUrl::fromLocalFile(m_home->path())}); // a folder is refused
    QCOMPARE(view.noticeText(), Words(Words::fileError).string());

    view.show();
    view.clearButton()->click();
    QVERIFY(view.isConfirmingClear());
    view.hide(); // Escape, another page
    view.show();
    QVERIFY(!view.isConfirmingClear());
    QCOMPARE(m_store->files().size(), 1);
}

void TestFileReviewView::tabFollowsTheReadingOrder()
{
    makeStore(nullptr);
    FileReviewView view(m_store.get(), &m_settings, {u"en"_qs, 1h});
    (void)stage({u"a.txt"_qs, u"b.txt"_qs}); // rows made after the buttons below them
    QList<QWidget *> removes;
    for (style::Button *button : view.findChildren<style::Button *>())
        if (button->accessibleName() == Words(Words::remove).string())
            removes.append(button);
    QCOMPARE(removes.size(), 2);
    const QList<QWidget *> reading {removes[0], removes[1], view.primaryButton(), view.clearButton(),
                                    view.findChild<QWidget *>(u"cancelClear"_qs), view.confirmClearButton()};
    QCOMPARE(tabOrder(&view, reading), reading); // the chain from the page itself
}

void TestFileReviewView::consentGatesTheCollection()
{
    StandIn standIn;
    QVERIFY2(standIn.isRunning(), qPrintable(standIn.error()));
    const QString user = QUuid::createUuid().toString(QUuid::WithoutBraces);
    standIn.control(u"accounts"_qs, {{u"id"_qs, user}, {u"pro"_qs, true}});
    auto vault = std::make_unique<ScriptedVault>();
    vault->entries.insert(u"session"_qs,
                          QJsonDocument(standIn.control(u"sessions"_qs, {{u"userId"_qs, user}})).toJson());
    const CloudClientOptions apiOptions = standIn.apiOptions();
    auto *cloud = new CloudStore(std::make_unique<CloudClient>(standIn.origin(), apiOptions), std::move(vault));
    awaitTask(cloud->restore(), 30s);
    CloudClient api(standIn.origin(), apiOptions);
    NativeFileClientOptions fileOptions = standIn.fileOptions();
    makeStore(cloud, new NativeFileClient(&api, fileOptions));
    (void)stage({u"notes.txt"_qs});

    FileReviewView view(m_store.get(), &m_settings, {u"en"_qs, 1h});
    view.show(); // the page loads the policy as it appears
    QTRY_VERIFY_WITH_TIMEOUT(m_store->collection()->policy().has_value(), 30000);
    const QList<style::Toggle *> toggles = view.consentToggles();
    QCOMPARE(toggles.size(), m_store->collection()->policy()->copy.checks.size());
    QVERIFY(toggles.size() >= 2);
    for (style::Toggle *toggle : toggles) {
        QVERIFY(!view.primaryButton()->isEnabled());
        toggle->click();
    }
    QVERIFY(view.primaryButton()->isEnabled());
    QCOMPARE(m_store->collection()->checks(), QList<bool>(toggles.size(), true));
    toggles.first()->click();
    QVERIFY(!view.primaryButton()->isEnabled());
    QCOMPARE(view.primaryButton()->text(), Words(Words::fileSend).string());

    // Sent and processed to the end, the collection is celebrated once.
    NotchPresentation presentation(NotchLayout::resolve({0, 0, 1920, 1080}, {0, 0, 1920, 1050}, std::nullopt));
    NotchView notch(m_store.get(), &presentation, &m_settings, {});
    toggles.first()->click();
    view.primaryButton()->click();
    FileCollectionStore *collection = m_store->collection();
    // Cleared while it sends: the staged files go, the collection goes on.
    QVERIFY(collection->isBusy());
    view.clearButton()->click();
    view.confirmClearButton()->click();
    QVERIFY(m_store->files().isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(!collection->isBusy(), 30000);
    for (int round = 0; round < 10 && !collection->isCompleted(); ++round)
        awaitTask(collection->poll(), 30s);
    QVERIFY2(collection->isCompleted(), qPrintable(collection->failure().value_or(u"not completed"_qs)));
    QCOMPARE(notch.successCue(), 1);
    awaitTask(collection->poll(), 30s);
    QCOMPARE(notch.successCue(), 1);
    view.hide();
}

QTEST_MAIN(TestFileReviewView)
#include "TestFileReviewView.moc"
