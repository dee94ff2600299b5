// Adds 50 files of 20 MiB to a collection the way the file collection store
// does (read, SHA-256, durable recovery copy in the outbox) and, in the same
// run, does the same work with `sha256sum`, `cp` and `sync`. Prints both
// medians and the ratio. Not a test: it asserts nothing about time.

#include "services/FileCollectionOutbox.h"
#include "core/FileCollectionPolicy.h"

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
#include <functional>
#include <unistd.h>
#include <vector>

using namespace vorno;

namespace {

constexpr int fileCount = 50;
constexpr qsizetype fileSize = 20 * 1024 * 1024;
constexpr int rounds = 5;

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

    // Each side starts from empty destinations and from a disk with nothing
    // left to write back (the sources just written, the other side's copies),
    // and the sides take turns going first, so neither pays for the other.
    const QString copies = directory.filePath(QStringLiteral("copies"));
    QDir().mkpath(copies);
    const std::function<bool()> addOurs = [&] {
        std::vector<CollectedFile> added;
        for (const QString &path : paths) {
            const FileCandidate candidate = policy.candidate(path);
            outbox.copy(candidate.bytes, candidate.file);
            added.push_back(candidate.file);
        }
        outbox.makeDurable(added);
        return true;
    };
    const std::function<bool()> addWithTools = [&] {
        QStringList copied;
        for (const QString &path : paths) {
            if (!run(QStringLiteral("sha256sum"), {path}) || !run(QStringLiteral("cp"), {path, copies}))
                return false;
            copied.append(copies + u'/' + QFileInfo(path).fileName());
        }
        return run(QStringLiteral("sync"), copied);
    };
    const auto clear = [&] {
        outbox.clear();
        for (const QString &name : QDir(copies).entryList(QDir::Files))
            QFile::remove(copies + u'/' + name);
        ::sync();
    };
    const auto time = [&](const std::function<bool()> &side, std::vector<double> &into) {
        clear();
        QElapsedTimer timer;
        timer.start();
        if (!side())
            return false;
        into.push_back(double(timer.nsecsElapsed()) / 1e6);
        return true;
    };
    std::vector<double> ours;
    std::vector<double> tools;
    for (int round = 0; round < rounds; ++round) {
        for (const bool oursNow : {round % 2 == 0, round % 2 != 0}) {
            if (!time(oursNow ? addOurs : addWithTools, oursNow ? ours : tools))
                return 1;
        }
    }
    clear();

    const double ourMedian = median(ours);
    const double toolMedian = median(tools);
    // A row of the table bench/run prints: measure, ours, anchor, ratio, goal.
    std::printf("| adding %d × 20 MiB files to a collection (digest + durable copy), median of %d | %.0f ms | %.0f ms (sha256sum + cp + sync) | %.2f× | ≤ 1.0× |\n",
                fileCount, rounds, ourMedian, toolMedian, ourMedian / toolMedian);
    return 0;
}
