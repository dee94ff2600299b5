#include "DataCases.h"
#include "FileChecks.h"
#include "stores/CaptureStore.h"
#include "AwaitTask.h"
#include "stores/AccountEncouragement.h"
#include "stores/CloudStore.h"
#include "services/CloudClient.h"
#include "services/FileCollectionOutbox.h"
#include "services/NativeFileClient.h"
#include "stores/FileCollectionStore.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "FileSizeLimit.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace vorno;
using namespace filechecks;

namespace {

const QString owner = u"0d6a1b9e-8c1f-4a5e-9a47-2a4f9b7c1e11"_qs;

class FakePicker : public FilePicker
{
public:
    int *begun;
    int *raised;
    FilePicker::Completion *done;

    FakePicker(int *begunCount, int *raisedCount, FilePicker::Completion *completion)
        : begun(begunCount), raised(raisedCount), done(completion)
    {
    }
    void begin(Completion completion) override
    {
        ++*begun;
        *done = std::move(completion);
    }
    void raise() override { ++*raised; }
};

// A store signed in as `owner`, with a batch of one file in the outbox when asked.
std::unique_ptr<CaptureStore> signedInStore(CaptureStoreOptions options, const QString &outboxRoot,
                                            std::optional<QString> status)
{
    auto vault = std::make_unique<ScriptedVault>();
    vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(owner).toJson());
    delete options.cloud;
    options.cloud = new CloudStore(std::make_unique<ScriptedTransport>(), std::move(vault));
    if (status) {
        CollectedFile file;
        file.id = u"7b1e4c2a-0f3d-4e5b-8a6c-9d2e1f0a3b4c"_qs;
        file.name = u"a.txt"_qs;
        file.size = 1;
        file.sha256 = QString(64, u'0');
        file.contentType = u"text/plain"_qs;
        file.status = *status;
        file.objectPath = owner + u"/a.txt"_qs;
        file.candidateCount = 2;
        const FileCollectionBatch batch {owner, u"3f2b1a0c-9d8e-4f7a-b6c5-d4e3f2a1b0c9"_qs, false, u"v"_qs, {file}, true};
        FileCollectionOutbox(owner, QUrl(QString::fromLatin1(build::webOrigin)), outboxRoot).write(batch);
    }
    auto *api = new CloudClient(QUrl(QString::fromLatin1(build::webOrigin)));
    options.fileClient = new NativeFileClient(api);
    api->setParent(options.fileClient);
    auto store = std::make_unique<CaptureStore>(std::move(options));
    awaitTask(store->cloud()->restore());
    store->collection()->restoreLocal();
    return store;
}

} // namespace

class TestCaptureStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        QVERIFY(m_home->isValid());
    }

    void cleanup() { m_home.reset(); }

    void unreadableDraftIsNeverOverwritten()
    {
        QVERIFY(QDir().mkpath(m_home->path() + u"/drafts"_qs));
        writeFile(draft().path, "{\"version\":7}");

        CaptureStore store(options(true));
        store.setText(u"new words"_qs);
        QVERIFY(!store.canSave());
        QVERIFY(!store.saveDraft());
        QCOMPARE(bytesOf(draft().path), QByteArray("{\"version\":7}"));
        QCOMPARE(store.notice(), std::optional(Words(Words::recovery)));
    }

    void saveDraft_data() { datacases::addTable(u"capturestore.json"_qs, u"saveDraft"_qs); }

    void saveDraft()
    {
        QFETCH(QString, text);
        QFETCH(bool, failWrite);
        QFETCH(bool, saved);
        QFETCH(QString, notice);

        CaptureStore store(options(true));
        store.setText(text);
        bool result = false;
        {
            const FileSizeLimit limit {failWrite ? rlim_t(2) : RLIM_INFINITY};
            result = store.saveDraft();
        }
        QCOMPARE(result, saved);
        QCOMPARE(store.notice(), Words::fromRawValue(notice));
        QCOMPARE(store.savedText(), saved ? text : QString());
        QCOMPARE(store.text(), text); // the writing is never lost
        if (saved)
            QCOMPARE(CaptureStore(options(true)).text(), text);
    }

    void staging_data() { datacases::addTable(u"capturestore.json"_qs, u"staging"_qs); }

    void staging()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QStringList, staged);
        QFETCH(QString, notice);

        const QString dir = m_home->path() + u"/files"_qs;
        QVERIFY(QDir().mkpath(dir + u"/folder"_qs));
        for (const QString &name : {u"a.txt"_qs, u"b.txt"_qs, u"c.txt"_qs})
            writeFile(dir + u'/' + name, "x");
        QVERIFY(QFile::link(dir + u"/a.txt"_qs, dir + u"/link.txt"_qs));
        const auto urls = [&dir](const QStringList &names) {
            QList<QUrl> result;
            for (const QString &name : names)
                result.append(QUrl::fromLocalFile(dir + u'/' + name));
            return result;
        };

        CaptureStore store(options(true));
        QSignalSpy count(&store, &CaptureStore::pendingFileCountChanged);
        if (!first.isEmpty())
            store.stage(urls(first));
        store.stage(urls(second));
        QCOMPARE(store.files(), urls(staged));
        QCOMPARE(store.pendingFileCount(), staged.size());
        QCOMPARE(store.notice(), Words::fromRawValue(notice));
        QCOMPARE(store.page(), CaptureStore::Page::files);
        QVERIFY(store.isExpanded());
        QVERIFY(count.count() >= 1);

        store.remove(urls({staged.first()}).first());
        QVERIFY(!store.files().contains(urls({staged.first()}).first()));
    }

    void unfinishedBatchRefusesFiles()
    {
        int begun = 0;
        int raised = 0;
        FilePicker::Completion done;
        CaptureStoreOptions settings = options(true);
        settings.pickFiles = [&] { return std::make_unique<FakePicker>(&begun, &raised, &done); };
        const auto store = signedInStore(std::move(settings), m_home->path() + u"/outbox"_qs, u"queued"_qs);
        QVERIFY(store->collection()->batch());
        QCOMPARE(store->pendingFileCount(), 1);

        store->chooseFiles();
        QCOMPARE(begun, 0);
        QCOMPARE(store->notice(), std::optional(Words(Words::filePending)));
        QCOMPARE(store->page(), CaptureStore::Page::files);

        store->setNotice(std::nullopt);
        store->stage({QUrl::fromLocalFile(m_home->path())});
        QCOMPARE(store->notice(), std::optional(Words(Words::filePending)));
        QVERIFY(store->files().isEmpty());
    }

private:
    [[nodiscard]] DraftFile draft() const { return DraftFile {m_home->path() + u"/drafts/draft.json"_qs}; }
    // A store over the temporary draft, with a scripted cloud store.

    [[nodiscard]] CaptureStoreOptions options(bool notch, bool fixedNotch = true) const
    {
        CaptureStoreOptions options;
        options.draft = draft();
        if (fixedNotch)
            options.notchEnabled = [notch] { return notch; };
        options.cloud = new CloudStore(std::make_unique<ScriptedTransport>(), std::make_unique<ScriptedVault>());
        options.outboxRoot = m_home->path() + u"/outbox"_qs;
        return options;
    }

    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(TestCaptureStore)
#include "TestCaptureStore.moc"
