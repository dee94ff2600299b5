// Crash consistency of every writer that keeps the user's words and files.
//
// For each writer a child process writes version after version through the
// project's own writer, printing each version once it is durable; the parent
// SIGKILLs it at a random moment, reads back with the project's own reader
// and checks that what it finds is the last version the child confirmed or
// the one it was writing, never corrupt or missing, and that nothing stray
// (temporary files, orphaned copies) is left once the reader has opened.
//
// Usage: CrashConsistency [kills per writer, default 50]
//        CrashConsistency write <writer> <directory>   (the child)

#include "core/CollectedFile.h"
#include "core/DraftFile.h"
#include "FileChecks.h"
#include "core/FileCollectionBatch.h"
#include "services/FileCollectionOutbox.h"
#include "services/PersistentCredentials.h"
#include "services/SessionCredentials.h"
#include "SoftwareTpm.h"
#include "core/Text.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <functional>
#include <optional>

using namespace vorno;

namespace {

const QUrl origin(QStringLiteral("https://vorno.example"));
const QString owner = filechecks::uuid(1);

// Version n's content: its number, then filler of a size that changes, so a
// torn write shows as a mismatch.
QByteArray contentOf(qint64 n)
{
    return QByteArray::number(n) + ':' + QByteArray(int(64 + (n * 7919) % 20000), char('a' + n % 26));
}

std::optional<qint64> versionOf(const QByteArray &content)
{
    const qsizetype colon = content.indexOf(':');
    bool ok = false;
    const qint64 n = content.left(colon).toLongLong(&ok);
    if (colon < 0 || !ok || content != contentOf(n))
        return std::nullopt; // torn or foreign: corrupt
    return n;
}

CollectedFile collected(qint64 n)
{
    CollectedFile file;
    file.id = filechecks::uuid(int(n));
    file.name = QStringLiteral("%1.txt").arg(n);
    file.size = contentOf(n).size();
    file.sha256 = FileCollectionOutbox::hash(contentOf(n));
    file.contentType = QStringLiteral("text/plain");
    file.status = fileStatusName(FileStatus::local);
    return file;
}

// One writer: how the child stores version n, how the parent reads back
// (nothing = missing; throws = corrupt), and what may stand in its directory.
struct Writer
{
    QString name;
    std::function<void(const QString &, qint64)> write;
    std::function<std::optional<qint64>(const QString &)> read;
    std::function<QStringList(const QString &, std::optional<qint64>)> expectedFiles;
};

PersistentCredentials vault(const QString &directory)
{
    return PersistentCredentials(origin, directory + QStringLiteral("/sessions"),
                                 std::make_unique<SessionCredentials>(origin, directory + QStringLiteral("/vault")));
}

QList<Writer> writers()
{
    const auto draftFile = [](const QString &directory) { return DraftFile {directory + QStringLiteral("/draft.json")}; };
    return {
        {QStringLiteral("local draft"),
         [draftFile](const QString &d, qint64 n) { draftFile(d).save(LocalDraft::fromText(QString::fromLatin1(contentOf(n)))); },
         [draftFile](const QString &d) -> std::optional<qint64> {
             const std::optional<LocalDraft> draft = draftFile(d).read();
             if (!draft)
                 return std::nullopt;
             const std::optional<qint64> n = versionOf(draft->text.toLatin1());
             if (!n)
                 throw std::runtime_error("corrupt draft");
             return n;
         },
         [](const QString &, std::optional<qint64> n) { return n ? QStringList {QStringLiteral("draft.json")} : QStringList(); }},
        {QStringLiteral("vault entry"),
         [](const QString &d, qint64 n) { vault(d).write(contentOf(n), QStringLiteral("draft:user-1")); },
         [](const QString &d) -> std::optional<qint64> {
             const std::optional<QByteArray> entry = vault(d).read(QStringLiteral("draft:user-1"));
             if (!entry)
                 return std::nullopt;
             const std::optional<qint64> n = versionOf(*entry);
             if (!n)
                 throw std::runtime_error("corrupt vault entry");
             return n;
         },
         [](const QString &, std::optional<qint64> n) {
             const QString entry = Text::sha256Hex(QByteArrayLiteral("draft:user-1")); // entries are named by their key's digest
             return n ? QStringList {QStringLiteral("vault/") + entry} : QStringList();
         }},
        {QStringLiteral("sealed session"),
         [](const QString &d, qint64 n) { vault(d).write(contentOf(n).left(4000), QStringLiteral("session")); },
         [](const QString &d) -> std::optional<qint64> {
             const std::optional<QByteArray> sealed = vault(d).read(QStringLiteral("session"));
             if (!sealed)
                 return std::nullopt;
             const qint64 n = sealed->left(sealed->indexOf(':')).toLongLong();
             if (*sealed != contentOf(n).left(4000))
                 throw std::runtime_error("corrupt session");
             return n;
         },
         [](const QString &, std::optional<qint64> n) {
             return n ? QStringList {QStringLiteral("sessions/") + PersistentCredentials::sessionFileName} : QStringList();
         }},
        {QStringLiteral("outbox and copies"),
         [](const QString &d, qint64 n) {
             // Version n: a batch naming files 1..n, whose copies exist before the record names them.
             const FileCollectionOutbox outbox(owner, origin, d);
             outbox.prepareDirectory();
             outbox.copy(contentOf(n), collected(n));
             outbox.makeDurable({collected(n)});
             FileCollectionBatch batch {owner, filechecks::uuid(999999), false, QStringLiteral("v1"), {}, false};
             for (qint64 i = std::max<qint64>(1, n - 20); i <= n; ++i)
                 batch.files.push_back(collected(i));
             outbox.write(batch);
             if (n > 21)
                 outbox.removeBytes(collected(n - 21)); // no longer named: its copy goes
         },
         [](const QString &d) -> std::optional<qint64> {
             const FileCollectionOutbox outbox(owner, origin, d);
             const std::optional<FileCollectionBatch> batch = outbox.recover(owner);
             if (!batch)
                 return std::nullopt;
             for (const CollectedFile &file : batch->files) {
                 if (outbox.bytes(file) != contentOf(file.id.right(12).toLongLong()))
                     throw std::runtime_error("a named copy is missing or changed");
             }
             return batch->files.back().id.right(12).toLongLong();
         },
         [](const QString &d, std::optional<qint64> n) {
             QStringList names;
             if (!n)
                 return names;
             const FileCollectionOutbox outbox(owner, origin, d);
             names << QDir(d).relativeFilePath(outbox.directory() + u'/' + FileCollectionOutbox::batchFileName);
             for (qint64 i = std::max<qint64>(1, *n - 20); i <= *n; ++i)
                 names << QDir(d).relativeFilePath(outbox.bytesPath(collected(i)));
             return names;
         }},
    };
}

// The child: continue from what is stored, confirm each version once it is durable.
int writeForever(const Writer &writer, const QString &directory)
{
    qint64 n = writer.read(directory).value_or(0);
    for (;;) {
        writer.write(directory, ++n);
        std::printf("%lld\n", static_cast<long long>(n));
        std::fflush(stdout);
    }
}

struct Counts
{
    int kills = 0;
    int corrupt = 0;
    int lost = 0;
    int stray = 0;
};

Counts campaign(const Writer &writer, int kills, const QString &program)
{
    Counts counts;
    QTemporaryDir directory;
    std::optional<qint64> confirmed;
    for (int round = 0; round < kills; ++round) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(program, {QStringLiteral("write"), writer.name, directory.path()});
        child.waitForStarted();
        QThread::usleep(2000 + QRandomGenerator::global()->bounded(60000));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        ++counts.kills;
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                confirmed = line.toLongLong();
        }
        std::optional<qint64> found;
        try {
            found = writer.read(directory.path());
        } catch (const std::exception &error) {
            ++counts.corrupt;
            std::fprintf(stderr, "%s, round %d: %s\n", qPrintable(writer.name), round, error.what());
            continue;
        }
        // The last confirmed version, or the one being written when the kill came.
        if (confirmed && (!found || *found < *confirmed || *found > *confirmed + 1)) {
            ++counts.lost;
            std::fprintf(stderr, "%s, round %d: confirmed %lld, found %lld\n", qPrintable(writer.name), round,
                         static_cast<long long>(*confirmed), static_cast<long long>(found.value_or(-1)));
        }
        confirmed = found;
        {
            QStringList present;
            QDirIterator files(directory.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
            while (files.hasNext())
                present << QDir(directory.path()).relativeFilePath(files.next());
            QStringList expected = writer.expectedFiles(directory.path(), found);
            present.sort();
            expected.sort();
            if (present != expected) {
                ++counts.stray;
                for (const QString &name : expected)
                    present.removeOne(name);
                std::fprintf(stderr, "%s, round %d: %lld files that should not be there, first %s\n",
                             qPrintable(writer.name), round, static_cast<long long>(present.size()),
                             qPrintable(present.value(0, QStringLiteral("(one expected is missing)"))));
            }
        }
    }
    return counts;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.value(1) == u"write") {
        for (const Writer &writer : writers()) {
            if (writer.name == arguments.value(2))
                return writeForever(writer, arguments.value(3));
        }
        return 2;
    }
    const int kills = arguments.size() > 1 ? arguments.value(1).toInt() : 50;
    SoftwareTpm tpm; // the sealed session's key lives in a TPM, as on a user's machine
    if (tpm.tcti().isEmpty()) {
        std::fprintf(stderr, "CrashConsistency: %s\n", qPrintable(tpm.error()));
        return 1;
    }
    qputenv("VORNO_TPM_TCTI", tpm.tcti());
    bool clean = true;
    std::printf("| writer | kills | corrupt | lost | stray |\n|---|---|---|---|---|\n");
    for (const Writer &writer : writers()) {
        const Counts counts = campaign(writer, kills, application.applicationFilePath());
        std::printf("| %s | %d | %d | %d | %d |\n", qPrintable(writer.name), counts.kills, counts.corrupt, counts.lost,
                    counts.stray);
        std::fflush(stdout);
        clean = clean && counts.corrupt == 0 && counts.lost == 0 && counts.stray == 0;
    }
    return clean ? 0 : 1;
}
