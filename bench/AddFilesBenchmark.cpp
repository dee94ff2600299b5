// Adds 50 files of 20 MiB to a collection the way the file collection store
// does (read, SHA-256, durable recovery copy in the outbox) and, in the same
// run, does the same work with `sha256sum` and `cp`. Prints both times and the
// ratio. Not a test: it asserts nothing about time.

#include "FileCollectionOutbox.h"
#include "FileCollectionPolicy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdio>

using namespace vorno;

namespace {

constexpr int fileCount = 50;
constexpr qsizetype fileSize = 20 * 1024 * 1024;

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir directory;
    const QString sources = directory.filePath(QStringLiteral("sources"));
    QDir().mkpath(sources);
    QByteArray bytes(fileSize, Qt::Uninitialized);
    QStringList paths;
    for (int i = 0; i < fileCount; ++i) {
        QRandomGenerator(quint32(i)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), fileSize / 4);
        const QString path = sources + QStringLiteral("/file-%1.txt").arg(i);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != fileSize)
            return 1;
        paths.append(path);
    }

    FileCollectionPolicy policy;
    policy.ownerId = QStringLiteral("0d6a1b9e-8c1f-4a5e-9a47-2a4f9b7c1e11");
    policy.extensions = {QStringLiteral("txt")};
    policy.contentTypes = {{QStringLiteral("txt"), QStringLiteral("text/plain")}};
    policy.maxBytes = fileSize;
    const FileCollectionOutbox outbox(policy.ownerId, QUrl(QStringLiteral("https://vorno.example")),
                                      directory.filePath(QStringLiteral("outbox")));
    outbox.prepareDirectory();

    QElapsedTimer timer;
    timer.start();
    for (const QString &path : paths) {
        const FileCandidate candidate = policy.candidate(path);
        outbox.copy(candidate.bytes, candidate.file);
    }
    const double ours = double(timer.nsecsElapsed()) / 1e6;

    const QString copies = directory.filePath(QStringLiteral("copies"));
    QDir().mkpath(copies);
    timer.restart();
    for (const QString &path : paths) {
        QProcess sum;
        sum.start(QStringLiteral("sha256sum"), {path});
        if (!sum.waitForFinished(60000) || sum.exitCode() != 0)
            return 1;
        QProcess copy;
        copy.start(QStringLiteral("cp"), {path, copies});
        if (!copy.waitForFinished(60000) || copy.exitCode() != 0)
            return 1;
    }
    const double tools = double(timer.nsecsElapsed()) / 1e6;

    std::printf("adding %d files of 20 MiB (digest + recovery copy)\n", fileCount);
    std::printf("  FileCollectionPolicy::candidate + FileCollectionOutbox::copy (fsync'd): %8.1f ms\n", ours);
    std::printf("  sha256sum then cp (no fsync):                                          %8.1f ms\n", tools);
    std::printf("  ratio ours/tools: %.2f\n", ours / tools);
    return 0;
}
