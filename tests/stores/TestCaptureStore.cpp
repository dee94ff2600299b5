#include "CaptureStore.h"
#include "FileSizeLimit.h"
#include "TemporaryHome.h"
#include "UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCaptureStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUp_data();
    void startUp();
    void unreadableDraftIsNeverOverwritten();
    void saveDraft_data();
    void saveDraft();
    void editingWithdrawsOnlyTheSavedNotice();
    void presentation();
    void notchSwitchedOff();
    void showNotchPreference_data();
    void showNotchPreference();

private:
    [[nodiscard]] DraftFile draft() const { return DraftFile {m_home->path() + u"/drafts/draft.json"_qs}; }

    std::unique_ptr<TemporaryHome> m_home;
};

void TestCaptureStore::init()
{
    m_home = std::make_unique<TemporaryHome>();
    QVERIFY(m_home->isValid());
}

void TestCaptureStore::cleanup()
{
    m_home.reset();
}

void TestCaptureStore::startUp_data()
{
    QTest::addColumn<QByteArray>("stored"); // null: no file
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("readFailed");

    QTest::newRow("no draft")      << QByteArray()                              << QString()      << false;
    QTest::newRow("a draft")       << QByteArray(R"({"version":1,"text":"hi"})") << u"hi"_qs     << false;
    QTest::newRow("version 2")     << QByteArray(R"({"version":2,"text":"hi"})") << QString()     << true;
    QTest::newRow("not JSON")      << QByteArray("garbage")                     << QString()      << true;
}

void TestCaptureStore::startUp()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, text);
    QFETCH(bool, readFailed);

    if (!stored.isNull()) {
        QVERIFY(QDir().mkpath(m_home->path() + u"/drafts"_qs));
        QFile file(draft().path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(stored);
    }
    const CaptureStore store(draft(), [] { return true; });
    QCOMPARE(store.text(), text);
    QCOMPARE(store.savedText(), text);
    QCOMPARE(store.readFailed(), readFailed);
    QCOMPARE(store.notice(), readFailed ? std::optional(Words(Words::recovery)) : std::nullopt);
    QCOMPARE(store.page(), CaptureStore::Page::compose);
    QVERIFY(!store.isExpanded() && !store.forceNotch());
    QCOMPARE(store.canSave(), !text.isEmpty() && !readFailed);
}

void TestCaptureStore::unreadableDraftIsNeverOverwritten()
{
    QVERIFY(QDir().mkpath(m_home->path() + u"/drafts"_qs));
    QFile file(draft().path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("{\"version\":7}");
    file.close();

    CaptureStore store(draft(), [] { return true; });
    store.setText(u"new words"_qs);
    QVERIFY(!store.canSave());
    QVERIFY(!store.saveDraft());
    QCOMPARE(bytesOf(draft().path), QByteArray("{\"version\":7}"));
    QCOMPARE(store.notice(), std::optional(Words(Words::recovery)));
}

void TestCaptureStore::saveDraft_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("failWrite");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("notice"); // -1: none

    QTest::newRow("a note")           << u"did a thing"_qs << false << true  << int(Words::saved);
    QTest::newRow("blanks only")      << u"  \n \t"_qs      << false << false << -1;
    QTest::newRow("write fails")      << u"did a thing"_qs << true  << false << int(Words::failed);
}

void TestCaptureStore::saveDraft()
{
    QFETCH(QString, text);
    QFETCH(bool, failWrite);
    QFETCH(bool, saved);
    QFETCH(int, notice);

    CaptureStore store(draft(), [] { return true; });
    store.setText(text);
    bool result = false;
    {
        const FileSizeLimit limit {failWrite ? rlim_t(2) : RLIM_INFINITY};
        result = store.saveDraft();
    }
    QCOMPARE(result, saved);
    QCOMPARE(store.notice(), notice < 0 ? std::nullopt : std::optional(Words(Words::Value(notice))));
    QCOMPARE(store.savedText(), saved ? text : QString());
    QCOMPARE(store.text(), text); // the writing is never lost
    if (saved)
        QCOMPARE(CaptureStore(draft(), [] { return true; }).text(), text);
}

void TestCaptureStore::editingWithdrawsOnlyTheSavedNotice()
{
    CaptureStore store(draft(), [] { return true; });
    store.setText(u"note"_qs);
    QVERIFY(store.saveDraft());
    QSignalSpy notice(&store, &CaptureStore::noticeChanged);
    store.setText(u"note"_qs); // unchanged: no signal, notice kept
    QCOMPARE(notice.count(), 0);
    store.setText(u"note!"_qs);
    QCOMPARE(store.notice(), std::nullopt);

    store.setNotice(Words::failed);
    store.setText(u"note!!"_qs);
    QCOMPARE(store.notice(), std::optional(Words(Words::failed)));
}

void TestCaptureStore::presentation()
{
    CaptureStore store(draft(), [] { return true; });
    int panelChanges = 0;
    store.setPanelChanged([&panelChanges] { ++panelChanges; });
    QSignalSpy page(&store, &CaptureStore::pageChanged);
    QSignalSpy expanded(&store, &CaptureStore::expandedChanged);

    store.show(CaptureStore::Page::compose);
    QVERIFY(store.isExpanded() && store.forceNotch());
    QCOMPARE(page.count(), 0);
    QCOMPARE(panelChanges, 1);
    store.show(CaptureStore::Page::settings);
    QCOMPARE(store.page(), CaptureStore::Page::settings);
    QCOMPARE(page.count(), 1);
    QCOMPARE(panelChanges, 2);
    QCOMPARE(expanded.count(), 1);
    store.show(CaptureStore::Page::settings); // same page: still tells the panel
    QCOMPARE(panelChanges, 3);

    store.togglePresentation();
    QVERIFY(!store.isExpanded() && !store.forceNotch());
    QCOMPARE(store.page(), CaptureStore::Page::settings); // the page survives a collapse
    store.togglePresentation();
    QVERIFY(store.isExpanded());
    QCOMPARE(store.page(), CaptureStore::Page::compose);
    QCOMPARE(panelChanges, 5);
}

void TestCaptureStore::notchSwitchedOff()
{
    CaptureStore store(draft(), [] { return false; });
    int opened = 0;
    store.setOpenMain([&opened] { ++opened; });
    store.togglePresentation();
    QCOMPARE(opened, 1);
    QVERIFY(!store.isExpanded());
    store.show(CaptureStore::Page::compose); // a direct request still opens it
    QVERIFY(store.isExpanded());
    store.togglePresentation();
    QVERIFY(!store.isExpanded());
    QCOMPARE(opened, 1);
}

void TestCaptureStore::showNotchPreference_data()
{
    QTest::addColumn<QVariant>("stored"); // invalid: absent
    QTest::addColumn<bool>("enabled");

    QTest::newRow("absent")        << QVariant()                 << true;
    QTest::newRow("false")         << QVariant(false)            << false;
    QTest::newRow("true")          << QVariant(true)             << true;
    QTest::newRow("not a Boolean") << QVariant(u"maybe"_qs)      << true;
    QTest::newRow("a number")      << QVariant(0)                << true;
}

void TestCaptureStore::showNotchPreference()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, enabled);

    // QSettings fixes its directory on first use, so every row shares it.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"vorno"_qs, u"app.vorno.desktop"_qs);
    if (stored.isValid())
        settings.setValue(UserDefaults::showNotch, stored);
    else
        settings.remove(UserDefaults::showNotch);
    settings.sync();

    const CaptureStore store(draft());
    QCOMPARE(store.notchEnabled(), enabled);
    // Read fresh on every access.
    UserDefaults::setBoolean(UserDefaults::showNotch, !enabled);
    QCOMPARE(store.notchEnabled(), !enabled);
}

QTEST_GUILESS_MAIN(TestCaptureStore)
#include "TestCaptureStore.moc"
