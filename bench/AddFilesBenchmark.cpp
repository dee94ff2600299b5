// Adds 50 files of 20 MiB to a collection the way the file collection store
// does (read, SHA-256, durable recovery copy in the outbox) and, in the same
// run, does the same work with `sha256sum`, `cp` and `sync`. Prints both
// medians and the ratio. Not a test: it asserts nothing about time.

#include "FileCollectionOutbox.h"
#include "FileCollectionPolicy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace vorno;

namespace {

constexpr int fileCount = 50;
constexpr qsizetype fileSize = 20 * 1024 * 1024;
constexpr int rounds = 3;

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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

    // Each round starts from empty destinations; rounds alternate so that
    // neither side always meets a warmer page cache.
    const QString copies = directory.filePath(QStringLiteral("copies"));
    QDir().mkpath(copies);
    std::vector<double> ours;
    std::vector<double> tools;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        std::vector<CollectedFile> added;
        for (const QString &path : paths) {
            const FileCandidate candidate = policy.candidate(path);
            outbox.copy(candidate.bytes, candidate.file);
            added.push_back(candidate.file);
        }
        outbox.settle(added);
        ours.push_back(double(timer.nsecsElapsed()) / 1e6);
        outbox.clear();

        timer.restart();
        QStringList copied;
        for (const QString &path : paths) {
            if (!run(QStringLiteral("sha256sum"), {path}) || !run(QStringLiteral("cp"), {path, copies}))
                return 1;
            copied.append(copies + u'/' + QFileInfo(path).fileName());
        }
        if (!run(QStringLiteral("sync"), copied))
            return 1;
        tools.push_back(double(timer.nsecsElapsed()) / 1e6);
        for (const QString &path : copied)
            QFile::remove(path);
    }

    const double ourMedian = median(ours);
    const double toolMedian = median(tools);
    // A row of the table bench/run prints: measure, ours, anchor, ratio, goal.
    std::printf("| adding %d × 20 MiB files to a collection (digest + durable copy), median of %d | %.0f ms | %.0f ms (sha256sum + cp + sync) | %.2f× | ≤ 1.0× |\n",
                fileCount, rounds, ourMedian, toolMedian, ourMedian / toolMedian);
    return 0;
}
