// A collection of 30 and of 300 files through the stand-in, from send() (the
// recovery copies, registration) to every file uploaded and its processing
// asked for: the cost per file must stay flat as the collection grows. Prints
// a row of the table bench/run makes. Not a test: it asserts nothing about time.

#include "AwaitTask.h"
#include "services/CloudClient.h"
#include "stores/CloudStore.h"
#include "stores/FileCollectionStore.h"
#include "services/NativeFileClient.h"
#include "ScriptedVault.h"
#include "StandIn.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QUuid>

#include <cstdio>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

constexpr qsizetype fileSize = 256 * 1024;

// Milliseconds per file for a collection of `count` files.
double perFile(StandIn &standIn, int count)
{
    QTemporaryDir home;
    const QString user = QUuid::createUuid().toString(QUuid::WithoutBraces);
    standIn.control(QStringLiteral("accounts"), {{QStringLiteral("id"), user}, {QStringLiteral("pro"), true}});
    const QByteArray session = QJsonDocument(standIn.control(QStringLiteral("sessions"), {{QStringLiteral("userId"), user}})).toJson();

    const CloudClientOptions apiOptions = standIn.apiOptions();
    auto vault = std::make_unique<ScriptedVault>();
    vault->entries.insert(QStringLiteral("session"), session);
    CloudStore cloud(std::make_unique<CloudClient>(standIn.origin(), apiOptions), std::move(vault));
    awaitTask(cloud.restore(), 30s);
    CloudClient api(standIn.origin(), apiOptions);
    NativeFileClientOptions options = standIn.fileOptions();
    NativeFileClient client(&api, options);
    FileCollectionStore store(&cloud, &client, home.filePath(QStringLiteral("outbox")));
    awaitTask(store.load(QStringLiteral("en")), 30s);
    for (qsizetype i = 0; i < store.checks().size(); ++i)
        store.setCheck(i, true);

    QList<QUrl> urls;
    QDir().mkpath(home.filePath(QStringLiteral("files")));
    QByteArray bytes(fileSize, Qt::Uninitialized);
    for (int i = 0; i < count; ++i) {
        QRandomGenerator(quint32(i)).fillRange(reinterpret_cast<quint32 *>(bytes.data()), fileSize / 4);
        QFile file(home.filePath(QStringLiteral("files/file-%1.txt").arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != fileSize)
            return -1;
        urls.append(QUrl::fromLocalFile(file.fileName()));
    }
    QElapsedTimer clock;
    clock.start();
    awaitTask(store.send(urls), 30min);
    const double elapsed = double(clock.nsecsElapsed()) / 1e6;
    if (store.failure() || !store.batch() || qsizetype(store.batch()->files.size()) != count) {
        std::fprintf(stderr, "CollectionBenchmark: the collection of %d failed: %s\n", count,
                     qPrintable(store.failure().value_or(QStringLiteral("files missing"))));
        return -1;
    }
    return elapsed / count;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    StandIn standIn;
    if (!standIn.isRunning()) {
        std::fprintf(stderr, "CollectionBenchmark: %s\n", qPrintable(standIn.error()));
        return 1;
    }
    const double small = perFile(standIn, 30);
    const double large = perFile(standIn, 300);
    if (small <= 0 || large <= 0)
        return 1;
    std::printf("| collection of 300 files of 256 KiB, send to all uploaded, per file | %.1f ms | %.1f ms (the same with 30 files) | %.2f× | flat |\n",
                large, small, large / small);
    return 0;
}
