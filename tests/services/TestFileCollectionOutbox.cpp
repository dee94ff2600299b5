#include "DataCases.h"
#include "FileChecks.h"
#include "services/FileCollectionOutbox.h"
#include "Outcome.h"
#include "TemporaryHome.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

using namespace vorno;
using namespace filechecks;

namespace {

const QString owner = u"0d6a1b9e-8c1f-4a5e-9a47-2a4f9b7c1e11"_qs;
const QUrl origin(u"https://vorno.example"_qs);

CollectedFile fileFor(const QString &id, const QByteArray &bytes)
{
    CollectedFile file;
    file.id = id;
    file.name = u"a.txt"_qs;
    file.size = bytes.size();
    file.sha256 = FileCollectionOutbox::hash(bytes);
    file.contentType = u"text/plain"_qs;
    file.status = fileStatusName(FileStatus::local);
    return file;
}

} // namespace

class TestFileCollectionOutbox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<TemporaryHome>(); }

    void cleanup() { m_home.reset(); }

    void layout()
    {
        const FileCollectionOutbox outbox(owner, origin);
        QCOMPARE(outbox.directory(), m_home->dataHome() + u"/app.vorno.desktop.dev/file-outbox/"_qs
                                         + FileCollectionOutbox::hash("https://vorno.example") + u'/' + owner);
        QVERIFY(!QFile::exists(outbox.directory())); // construction touches nothing
        QVERIFY(FileCollectionOutbox(owner, QUrl(u"https://other.example"_qs)).directory() != outbox.directory());
        QVERIFY(FileCollectionOutbox(uuid(1), origin).directory() != outbox.directory());

        outbox.write(FileCollectionBatch {owner, uuid(9), false, u"v"_qs, {}, false});
        QCOMPARE(modeOf(outbox.directory()), 0700u);
        QCOMPARE(modeOf(outbox.directory() + u"/batch.json"_qs), 0600u);
    }

    void ownersMustBeUuids_data() { datacases::addTable(u"outbox.json"_qs, u"ownersMustBeUuids"_qs); }

    void ownersMustBeUuids()
    {
        QFETCH(QString, candidate);
        QCOMPARE(outcome([&] { (void)FileCollectionOutbox(candidate, origin); }), candidate == owner ? u"ok"_qs : u"invalid"_qs);
    }

    void batchRoundTrip()
    {
        const FileCollectionOutbox outbox(owner, origin);
        QCOMPARE(outbox.read(owner), std::nullopt);
        FileCollectionBatch batch {owner, uuid(9), true, u"v1"_qs, {fileFor(uuid(1), "one"), fileFor(uuid(2), "two")}, false};
        batch.files[0].tus = QUrl(u"https://p.storage.supabase.co/storage/v1/upload/resumable/x"_qs);
        outbox.write(batch);
        QCOMPARE(outbox.read(owner), std::optional(batch));
        batch.registered = true;
        outbox.write(batch);
        QCOMPARE(outbox.read(owner), std::optional(batch));
        QCOMPARE(QDir(outbox.directory()).entryList(QDir::Files | QDir::Hidden), QStringList {u"batch.json"_qs});
    }

    void storedBatchRefusals_data() { datacases::addTable(u"outbox.json"_qs, u"storedBatchRefusals"_qs); }

    void storedBatchRefusals()
    {
        QFETCH(QString, change);
        QFETCH(QString, expected);

        const FileCollectionOutbox outbox(owner, origin);
        FileCollectionBatch batch {owner, uuid(9), false, u"v"_qs, {fileFor(uuid(1), "one"), fileFor(uuid(2), "two")}, false};
        if (change == u"owner")
            batch.owner = uuid(5);
        else if (change == u"batchId")
            batch.id = u"batch"_qs;
        else if (change == u"duplicate")
            batch.files[1].id = uuid(1);
        else if (change == u"fileId")
            batch.files[1].id = u"../escape"_qs;
        outbox.write(batch);
        const QString record = outbox.directory() + u"/batch.json"_qs;
        if (change == u"garbage")
            filechecks::writeFile(record, "{\"owner\":");
        const QByteArray before = filechecks::bytesOf(record);
        QCOMPARE(outcome([&] { (void)outbox.read(owner); }), expected);
        QCOMPARE(filechecks::bytesOf(record), before); // refused, never deleted
    }

    void copies_data() { datacases::addTable(u"outbox.json"_qs, u"copies"_qs); }

    void copies()
    {
        QFETCH(QString, damage);
        QFETCH(int, size);
        QFETCH(QString, expected);

        const FileCollectionOutbox outbox(owner, origin);
        outbox.prepareDirectory();
        QByteArray bytes(size, 'b');
        bytes[0] = 'a';
        CollectedFile file = fileFor(uuid(1), bytes);
        outbox.copy(bytes, file);
        QCOMPARE(modeOf(outbox.bytesPath(file)), 0600u);
        const QString path = outbox.bytesPath(file);
        if (damage == u"resize") {
            QFile::resize(path, size - 1);
        } else if (damage == u"content") {
            QFile copy(path);
            QVERIFY(copy.open(QIODevice::ReadWrite));
            copy.write("z");
        } else if (damage == u"link") {
            QVERIFY(QFile::rename(path, path + u".real"_qs));
            QVERIFY(QFile::link(path + u".real"_qs, path));
        } else if (damage == u"directory") {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkdir(path));
        } else if (damage == u"remove") {
            outbox.removeBytes(file);
            outbox.removeBytes(file); // twice is fine
        } else if (damage == u"id") {
            file.id = u"not-a-uuid"_qs;
        }
        QByteArray read;
        QCOMPARE(outcome([&] { read = outbox.bytes(file); }), expected);
        if (expected == u"ok")
            QCOMPARE(read, bytes);
    }

    void copyIsNeverOverwritten()
    {
        const FileCollectionOutbox outbox(owner, origin);
        outbox.prepareDirectory();
        const CollectedFile file = fileFor(uuid(1), "first");
        outbox.copy("first", file);
        QCOMPARE(outcome([&] { outbox.copy("second", file); }), u"file error"_qs);
        QCOMPARE(outbox.bytes(file), QByteArray("first"));
    }

    void clearing()
    {
        const FileCollectionOutbox outbox(owner, origin);
        const FileCollectionBatch batch {owner, uuid(9), false, u"v"_qs, {fileFor(uuid(1), "one"), fileFor(uuid(2), "two")}, false};
        outbox.write(batch);
        outbox.copy("one", batch.files[0]);
        outbox.copy("two", batch.files[1]);
        outbox.copy("orphan", fileFor(uuid(3), "orphan")); // named by no record
        outbox.removeBytes(batch.files[0]); // already gone before the clear
        outbox.clear();
        QVERIFY(QDir(outbox.directory()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(QFile::exists(outbox.directory()));
        QCOMPARE(outbox.read(owner), std::nullopt);
        outbox.clear(); // nothing left: still fine
    }

    void recovery()
    {
        // A writer killed between the copies and the record, and one killed
        // before its rename; what is not ours to judge stays.
        const FileCollectionOutbox outbox(owner, origin);
        outbox.prepareDirectory();
        const CollectedFile kept = fileFor(uuid(1), "kept");
        outbox.copy("kept", kept);
        outbox.copy("lost", fileFor(uuid(2), "lost"));
        const QString dir = outbox.directory() + u'/';
        const QString temporary = u".batch-"_qs + uuid(7).toUpper() + u".tmp"_qs;
        filechecks::writeFile(dir + temporary, "{");
        filechecks::writeFile(dir + u"notes.txt"_qs, "mine");
        QVERIFY(QFile::link(dir + u"notes.txt"_qs, dir + uuid(4) + u".data"_qs));

        QCOMPARE(outbox.recover(owner), std::nullopt);
        QCOMPARE(filechecks::entriesOf(outbox.directory()), QStringList({uuid(4) + u".data"_qs, u"notes.txt"_qs}));

        outbox.copy("kept", kept);
        outbox.copy("lost", fileFor(uuid(2), "lost"));
        const FileCollectionBatch batch {owner, uuid(9), false, u"v"_qs, {kept}, false};
        outbox.write(batch);
        QCOMPARE(outbox.recover(owner), batch);
        QVERIFY(QFile::exists(outbox.bytesPath(kept)));
        QVERIFY(!QFile::exists(dir + uuid(2) + u".data"_qs));
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
};

QTEST_GUILESS_MAIN(TestFileCollectionOutbox)
#include "TestFileCollectionOutbox.moc"
