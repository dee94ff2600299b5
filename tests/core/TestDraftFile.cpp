#include "DataCases.h"
#include "FileChecks.h"
#include "core/DecodingError.h"
#include "core/DraftFile.h"
#include "core/FileError.h"
#include "core/FileIntent.h"
#include "FileSizeLimit.h"
#include "TemporaryHome.h"
#include "core/Text.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vorno;
using namespace filechecks;

class TestDraftFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TemporaryHome>();
        QVERIFY(m_home->isValid());
        m_dir = m_home->path() + u"/drafts"_qs;
        m_draft = DraftFile {m_dir + u"/draft.json"_qs};
    }

    void cleanup() { m_home.reset(); }

    void read_data() { datacases::addTable(u"draftfile.json"_qs, u"read"_qs); }

    void read()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, outcome);

        if (!content.isNull()) {
            QVERIFY(QDir().mkpath(m_dir));
            writeFile(m_draft.path, content);
        }
        QString actual = u"none"_qs;
        try {
            const std::optional<LocalDraft> draft = m_draft.read();
            if (draft) {
                actual = u"draft"_qs;
                QCOMPARE(draft->text, u"hello"_qs);
            }
        } catch (const DecodingError &) {
            actual = u"decodingError"_qs;
        } catch (const FileError &error) {
            actual = error.code() == FileError::Code::corruptFile ? u"corruptFile"_qs : u"otherFileError"_qs;
        }
        QCOMPARE(actual, outcome);
        // A file that could not be read is left exactly as it was.
        if (!content.isNull())
            QCOMPARE(bytesOf(m_draft.path), content);
    }

    void saveCreatesPrivateDirectories()
    {
        const DraftFile deep {m_home->path() + u"/a/b/c/draft.json"_qs};
        deep.save(LocalDraft::fromText(u"note"_qs));
        QCOMPARE(modeOf(m_home->path() + u"/a"_qs), 0700u);
        QCOMPARE(modeOf(m_home->path() + u"/a/b/c"_qs), 0700u);
        QCOMPARE(modeOf(deep.path), 0600u);
        QCOMPARE(bytesOf(deep.path), QByteArray(R"({"version":1,"text":"note"})"));
    }

    void saveTightensAnExistingDirectory()
    {
        QVERIFY(QDir().mkpath(m_dir));
        QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                                 | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        QCOMPARE(modeOf(m_dir), 0755u);
        const mode_t previous = ::umask(0);
        m_draft.save(LocalDraft::fromText(u"note"_qs));
        ::umask(previous);
        QCOMPARE(modeOf(m_dir), 0700u);
        QCOMPARE(modeOf(m_draft.path), 0600u);
    }

    void saveTwiceKeepsOneFile()
    {
        m_draft.save(LocalDraft::fromText(u"first"_qs));
        m_draft.save(LocalDraft::fromText(u"second"_qs));
        QCOMPARE(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList {u"draft.json"_qs});
        QCOMPARE(m_draft.read(), std::optional(LocalDraft::fromText(u"second"_qs)));

        // A lone surrogate would be stored changed: refused, the draft kept.
        QVERIFY_THROWS_EXCEPTION(DecodingError, m_draft.save(LocalDraft::fromText(u"a"_qs + QChar(0xD800) + u"b"_qs)));
        QCOMPARE(m_draft.read(), std::optional(LocalDraft::fromText(u"second"_qs)));

        // What a save killed before its rename left is swept on the next open.
        writeFile(m_dir + u"/.draft-"_qs + Text::newUuid(true) + u".tmp"_qs, "note text");
        writeFile(m_dir + u"/.draft-notes.tmp"_qs, "not ours");
        (void)DraftFile(m_draft.path).read();
        QCOMPARE(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList {u".draft-notes.tmp"_qs, u"draft.json"_qs}));
    }

    void roundTrip_data() { datacases::addTable(u"draftfile.json"_qs, u"roundTrip"_qs); }

    void roundTrip()
    {
        QFETCH(QString, text);
        m_draft.save(LocalDraft::fromText(text));
        const QByteArray stored = bytesOf(m_draft.path);
        QVERIFY(stored.startsWith(R"({"version":1,"text":)"));
        QVERIFY(!stored.contains('\n'));
        QCOMPARE(m_draft.read(), std::optional(LocalDraft::fromText(text)));
    }

    void failedWriteKeepsPreviousDraft_data()
    {
        datacases::addTable(u"draftfile.json"_qs, u"failedWriteKeepsPreviousDraft"_qs);
    }

    void failedWriteKeepsPreviousDraft()
    {
        QFETCH(int, limit);

        m_draft.save(LocalDraft::fromText(u"previous"_qs));
        const QByteArray before = bytesOf(m_draft.path);
        const LocalDraft next = LocalDraft::fromText(QString(57, u'n'));
        QCOMPARE(next.toJson().size(), 80);
        {
            const FileSizeLimit guard {rlim_t(limit)};
            try {
                m_draft.save(next);
                QFAIL("a write past the file size limit reported success");
            } catch (const FileError &error) {
                QCOMPARE(error.code(), FileError::Code::io);
                QCOMPARE(error.systemError(), EFBIG);
            }
        }
        QCOMPARE(bytesOf(m_draft.path), before);
        QCOMPARE(QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList {u"draft.json"_qs});
    }

    void saveRefusesBlockedOrLinkedDirectory()
    {
        // A file where the directory should be.
        writeFile(m_dir, "not a directory");
        QVERIFY_THROWS_EXCEPTION(FileError, m_draft.save(LocalDraft::fromText(u"x"_qs)));
        QCOMPARE(bytesOf(m_dir), QByteArray("not a directory"));

        // A symbolic link where the directory should be: nothing is written through it.
        QVERIFY(QFile::remove(m_dir));
        const QString target = m_home->path() + u"/target"_qs;
        QVERIFY(QDir().mkpath(target));
        QVERIFY(QFile::link(target, m_dir));
        QVERIFY_THROWS_EXCEPTION(FileError, m_draft.save(LocalDraft::fromText(u"x"_qs)));
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void saveInReadOnlyDirectory()
    {
        if (::geteuid() == 0)
            QSKIP("root writes into read-only directories");
        m_draft.save(LocalDraft::fromText(u"previous"_qs));
        const QByteArray before = bytesOf(m_draft.path);
        QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::ExeOwner));
        // The save restores 0700 first, so make the parent refuse instead.
        const DraftFile blocked {m_dir + u"/sub/draft.json"_qs};
        QVERIFY_THROWS_EXCEPTION(FileError, blocked.save(LocalDraft::fromText(u"x"_qs)));
        QVERIFY(QFile::setPermissions(m_dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QCOMPARE(bytesOf(m_draft.path), before);
    }

    void stage_data() { datacases::addTable(u"draftfile.json"_qs, u"stage"_qs); }

    void stage()
    {
        QFETCH(QStringList, input);
        QFETCH(QStringList, expected);

        const QString home = m_home->path();
        QVERIFY(QDir().mkpath(home + u"/dir"_qs));
        writeFile(home + u"/a.txt"_qs, "a");
        writeFile(home + u"/b.txt"_qs, "b");
        QList<QUrl> urls;
        for (const QString &path : input)
            urls.append(QUrl::fromLocalFile(home + u'/' + path));
        QList<QUrl> wanted;
        for (const QString &path : expected)
            wanted.append(QUrl::fromLocalFile(home + u'/' + path));
        QCOMPARE(FileIntent::stage(urls), wanted);
    }

    void stageRefuses_data()
    {
        QTest::addColumn<QString>("bad");
        QTest::addColumn<int>("code");

        QTest::newRow("web URL")          << u"https://example.org/a.txt"_qs << int(FileError::Code::unsupportedScheme);
        QTest::newRow("folder")           << u"dir"_qs                       << int(FileError::Code::noPermission);
        QTest::newRow("link to a file")   << u"link.txt"_qs                  << int(FileError::Code::noPermission);
        QTest::newRow("dangling link")    << u"dangling.txt"_qs              << int(FileError::Code::noPermission);
        QTest::newRow("FIFO")             << u"fifo"_qs                      << int(FileError::Code::noPermission);
        QTest::newRow("missing")          << u"missing.txt"_qs               << int(FileError::Code::io);
        // The kernel follows the link before "..": the file checked is deep/x.txt,
        // the location kept (with ".." resolved) would be x.txt, which is not there.
        QTest::newRow("'..' after a linked folder") << u"inner/../x.txt"_qs << int(FileError::Code::io);
    }

    void stageRefuses()
    {
        QFETCH(QString, bad);
        QFETCH(int, code);

        const QString home = m_home->path();
        QVERIFY(QDir().mkpath(home + u"/dir"_qs));
        writeFile(home + u"/a.txt"_qs, "a");
        QVERIFY(QFile::link(home + u"/a.txt"_qs, home + u"/link.txt"_qs));
        QVERIFY(QFile::link(home + u"/gone.txt"_qs, home + u"/dangling.txt"_qs));
        QCOMPARE(::mkfifo(QFile::encodeName(home + u"/fifo"_qs).constData(), 0600), 0);
        QVERIFY(QDir().mkpath(home + u"/deep/inner"_qs));
        writeFile(home + u"/deep/x.txt"_qs, "x");
        QVERIFY(QFile::link(home + u"/deep/inner"_qs, home + u"/inner"_qs));

        const QUrl url = bad.contains(u':') ? QUrl(bad) : QUrl::fromLocalFile(home + u'/' + bad);
        try {
            // A good location before the bad one gives no partial result.
            (void)FileIntent::stage({QUrl::fromLocalFile(home + u"/a.txt"_qs), url});
            QFAIL("staged a location that must be refused");
        } catch (const FileError &error) {
            QCOMPARE(int(error.code()), code);
        }
    }

private:
    std::unique_ptr<TemporaryHome> m_home;
    QString m_dir;
    DraftFile m_draft;
};

QTEST_GUILESS_MAIN(TestDraftFile)
#include "TestDraftFile.moc"
