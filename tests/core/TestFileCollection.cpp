#include "core/CloudError.h"
#include "DataCases.h"
#include "FileChecks.h"
#include "core/FileCollectionBatch.h"
#include "core/FileCollectionError.h"
#include "core/FileCollectionPolicy.h"
#include "core/FileError.h"
#include "core/Text.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace vorno;
using filechecks::uuid;

namespace {

const QByteArray policyJson = R"({
    "ownerId": "owner-1", "pro": false, "firstFree": true,
    "extensions": ["pdf", "txt", "md"],
    "contentTypes": {"pdf": "application/pdf", "txt": "text/plain"},
    "maxBytes": 10, "consentVersion": "2026-01",
    "copy": {"checks": ["I own these files"], "responsibility": "r", "processing": "p", "retention": "k"}
})";

CollectedFile file(QString id, std::optional<QString> objectPath)
{
    CollectedFile record;
    record.id = std::move(id);
    record.name = u"a.pdf"_qs;
    record.size = 1;
    record.sha256 = QString(64, u'0');
    record.contentType = u"application/pdf"_qs;
    record.status = fileStatusName(FileStatus::uploaded);
    record.objectPath = std::move(objectPath);
    return record;
}

} // namespace

class TestFileCollection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusGroups_data() { datacases::addTable(u"collection.json"_qs, u"statusGroups"_qs); }

    void statusGroups()
    {
        QFETCH(QString, status);
        QFETCH(bool, finished);
        QFETCH(bool, neverPolled);
        QFETCH(bool, dropCopy);
        QFETCH(bool, partial);
        QFETCH(int, candidates);
        QFETCH(bool, finishedWithWork);

        CollectedFile record = file(uuid(1), std::nullopt);
        record.status = status;
        record.partial = partial;
        if (candidates >= 0)
            record.candidateCount = candidates;
        QCOMPARE(record.isFinished(), finished);
        QCOMPARE(record.isNeverPolled(), neverPolled);
        QCOMPARE(record.mayDropLocalCopy(), dropCopy);
        QCOMPARE(record.isFinishedWithWork(), finishedWithWork);
    }

    void candidate_data() { datacases::addTable(u"collection.json"_qs, u"candidate"_qs); }

    void candidate()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, outcome);

        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        filechecks::writeFile(path, content);

        const FileCollectionPolicy policy = FileCollectionPolicy::fromJson(policyJson);
        try {
            const FileCandidate candidate = policy.candidate(path);
            QCOMPARE(candidate.file.contentType, outcome);
            QCOMPARE(candidate.bytes, content);
            QCOMPARE(candidate.file.name, name);
            QCOMPARE(candidate.file.size, content.size());
            QCOMPARE(candidate.file.sha256,
                     Text::sha256Hex(content));
            QCOMPARE(candidate.file.status, u"local"_qs);
            QVERIFY(!candidate.file.partial && !candidate.file.objectPath && !candidate.file.tus);
            QCOMPARE(candidate.file.id, candidate.file.id.toLower());
            QCOMPARE(candidate.file.id.size(), 36);
        } catch (const FileCollectionError &error) {
            QCOMPARE(error.failure(), FileCollectionFailure::server(outcome));
        } catch (const CloudError &error) {
            QCOMPARE(u"invalid"_qs, outcome);
            QCOMPARE(error.failure(), CloudFailure::invalid);
        }
    }

    void candidateRefusesWhatItCannotRead()
    {
        const FileCollectionPolicy policy = FileCollectionPolicy::fromJson(policyJson);
        QTemporaryDir dir;
        // A file that vanished after staging has no size.
        try {
            (void)policy.candidate(dir.filePath(u"gone.txt"_qs));
            QFAIL("accepted a missing file");
        } catch (const FileCollectionError &error) {
            QCOMPARE(error.failure(), FileCollectionFailure::server(u"invalid_file"_qs));
        }
        // A link swapped in after staging is not followed.
        filechecks::writeFile(dir.filePath(u"target.txt"_qs), "abc");
        QVERIFY(QFile::link(dir.filePath(u"target.txt"_qs), dir.filePath(u"link.txt"_qs)));
        QVERIFY_THROWS_EXCEPTION(FileError, (void)policy.candidate(dir.filePath(u"link.txt"_qs)));
    }

    void resultURL_data() { datacases::addTable(u"collection.json"_qs, u"resultURL"_qs); }

    void resultURL()
    {
        QFETCH(bool, free);
        QFETCH(bool, registered);
        QFETCH(int, uploadedFiles);
        QFETCH(QString, owner);
        QFETCH(QString, source);
        QFETCH(QString, expected);

        FileCollectionBatch batch {u"owner-1"_qs, uuid(999), free, u"v"_qs, {}, registered};
        batch.files.push_back(file(uuid(500), std::nullopt)); // not uploaded: never listed
        for (int i = 0; i < uploadedFiles; ++i)
            batch.files.push_back(file(uuid(i), u"owner-1/"_qs + uuid(i)));
        const std::optional<QString> sourceID = source.isNull() ? std::nullopt : std::optional(source);

        const std::optional<QUrl> url = batch.resultURL(owner, sourceID, QUrl(u"https://vorno.example"_qs));
        if (expected.isNull()) {
            QCOMPARE(url, std::nullopt);
        } else if (expected == u"100"_qs) {
            QVERIFY(url);
            QCOMPARE(url->query(QUrl::FullyDecoded).split(u',').size(), 100);
        } else {
            QVERIFY(url);
            QCOMPARE(url->toString(QUrl::FullyEncoded), expected);
        }
    }

    void registrationPages_data() { datacases::addTable(u"collection.json"_qs, u"registrationPages"_qs); }

    void registrationPages()
    {
        QFETCH(int, total);
        QFETCH(QString, pages);
        QStringList spans;
        for (const FileCollectionBatch::Page page : FileCollectionBatch::registrationPages(total))
            spans.append(QStringLiteral("%1+%2").arg(page.offset).arg(page.size));
        QCOMPARE(spans.join(u' '), pages);
    }
};

QTEST_GUILESS_MAIN(TestFileCollection)
#include "TestFileCollection.moc"
