#include "support/AccessibilitySettings.h"
#include "support/style/Button.h"
#include "stores/CaptureStore.h"
#include "FileChecks.h"
#include "stores/FileCollectionStore.h"
#include "views/FileReviewView.h"
#include "FocusChain.h"
#include "ScriptedCapture.h"
#include "TemporaryHome.h"

#include <QTest>

using namespace vorno;
using namespace std::chrono_literals;

class TestFileReviewView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }

    void cleanup()
    {
        m_store.reset();
        m_home.reset();
    }

    void pollsWhileShown()
    {
        makeStore();
        FileReviewView view(m_store.get(), &m_settings, {u"en"_qs, 10ms});
        QVERIFY(!m_store->collection()->isPolling());
        view.show();
        QVERIFY(m_store->collection()->isPolling());
        view.hide();
        QVERIFY(!m_store->collection()->isPolling());
        view.show();
        QVERIFY(m_store->collection()->isPolling());
    }

    void clearEmptiesTheStagedFiles()
    {
        makeStore();
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
    void pageFollowsItsStores()
    {
        makeStore();
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

    void tabFollowsTheReadingOrder()
    {
        makeStore();
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

private:
    void makeStore() { m_store = ScriptedCapture(m_home->path(), false).store; }

    [[nodiscard]] QList<QUrl> stage(const QStringList &names)
    {
        QList<QUrl> urls;
        for (const QString &name : names) {
            filechecks::writeFile(m_home->path() + u'/' + name, "notes");
            urls.append(QUrl::fromLocalFile(m_home->path() + u'/' + name));
        }
        m_store->stage(urls);
        return urls;
    }

    std::unique_ptr<TemporaryHome> m_home;
    std::unique_ptr<CaptureStore> m_store;
    AccessibilitySettings m_settings {AccessibilitySettings::Values {.reduceMotion = true}};
};

QTEST_MAIN(TestFileReviewView)
#include "TestFileReviewView.moc"
