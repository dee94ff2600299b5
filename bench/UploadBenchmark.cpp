// Uploads 20 MiB to the stand-in on loopback with NativeFileClient, with
// tus-js-client and with a single curl PUT, five times each, and prints the
// medians and ratios. Not a test: it asserts nothing about time.

#include "AwaitTask.h"
#include "services/CloudClient.h"
#include "services/NativeFileClient.h"
#include "StandIn.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace vorno;

namespace {

constexpr int runs = 9; // the anchors vary by a fifth from run to run
constexpr qsizetype size = 20 * 1024 * 1024;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

bool runProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// The same TUS upload as curl makes it: one creation, then every 6 MiB chunk
// as a PATCH in a single curl run, which keeps its connection. The chunks were
// cut beforehand, outside the time.
bool curlTus(const QString &endpoint, const QString &token, const QString &authority, const QStringList &chunks,
             qint64 total, const QString &objectName)
{
    const QStringList common {QStringLiteral("--silent"), QStringLiteral("--fail"), QStringLiteral("--cacert"), authority,
                              QStringLiteral("-H"), QStringLiteral("Tus-Resumable: 1.0.0"), QStringLiteral("-H"),
                              QStringLiteral("authorization: Bearer ") + token};
    QProcess create;
    create.start(QStringLiteral("curl"),
                 common
                     + QStringList {QStringLiteral("--output"), QStringLiteral("/dev/null"), QStringLiteral("--dump-header"),
                                    QStringLiteral("-"), QStringLiteral("-X"), QStringLiteral("POST"), QStringLiteral("-H"),
                                    QStringLiteral("Upload-Length: %1").arg(total), QStringLiteral("-H"),
                                    QStringLiteral("Upload-Metadata: ")
                                        + QString::fromLatin1(NativeFileClient::metadata(NativeFileClient::paidBucket, objectName,
                                                                                         QStringLiteral("text/plain"))),
                                    endpoint});
    if (!create.waitForFinished(60000) || create.exitCode() != 0)
        return false;
    QString location;
    for (const QByteArray &line : create.readAllStandardOutput().split('\n')) {
        if (line.toLower().startsWith("location:"))
            location = QString::fromLatin1(line.mid(9).trimmed());
    }
    if (location.isEmpty())
        return false;
    QStringList patches;
    qint64 offset = 0;
    for (const QString &chunk : chunks) {
        if (!patches.isEmpty())
            patches.append(QStringLiteral("--next"));
        patches += common;
        patches += {QStringLiteral("--output"), QStringLiteral("/dev/null"), QStringLiteral("-X"), QStringLiteral("PATCH"),
                    QStringLiteral("-H"), QStringLiteral("content-type: application/offset+octet-stream"),
                    QStringLiteral("-H"), QStringLiteral("Upload-Offset: %1").arg(offset), QStringLiteral("--data-binary"),
                    u'@' + chunk, location};
        offset += QFileInfo(chunk).size();
    }
    return runProcess(QStringLiteral("curl"), patches, QProcessEnvironment::systemEnvironment());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    StandIn standIn;
    if (!standIn.isRunning()) {
        std::fprintf(stderr, "stand-in: %s\n", qPrintable(standIn.error()));
        return 1;
    }
    standIn.control(QStringLiteral("accounts"), {{QStringLiteral("id"), QStringLiteral("bench")}, {QStringLiteral("pro"), true}});
    const CloudSession session = CloudSession::fromJson(
        QJsonDocument(standIn.control(QStringLiteral("sessions"), {{QStringLiteral("userId"), QStringLiteral("bench")}})).toJson());

    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    QTemporaryDir directory;
    const QString file = directory.filePath(QStringLiteral("payload.bin"));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != size)
        return 1;
    out.close();
    QStringList chunks;
    for (qsizetype at = 0; at < size; at += NativeFileClient::chunkSize) {
        QFile chunk(directory.filePath(QStringLiteral("chunk-%1").arg(chunks.size())));
        if (!chunk.open(QIODevice::WriteOnly) || chunk.write(bytes.mid(at, NativeFileClient::chunkSize)) < 0)
            return 1;
        chunks.append(chunk.fileName());
    }

    const CloudClientOptions apiOptions = standIn.apiOptions();
    CloudClient api(standIn.origin(), apiOptions);
    NativeFileClientOptions options = standIn.fileOptions();
    NativeFileClient client(&api, options);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NODE_EXTRA_CA_CERTS"), standIn.authorityPath());
    const QString endpoint = standIn.storage().toString() + NativeFileClient::uploadPath;

    QList<double> native, tusJs, curl, curlTusTimes;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        awaitTask(client.upload(bytes, NativeFileClient::paidBucket, QStringLiteral("bench/native-%1").arg(run),
                                QStringLiteral("text/plain"), std::nullopt, session, [](const QUrl &) {}, [](qint64) {},
                                [] { return true; }),
                  std::chrono::minutes(5));
        native.append(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        if (!runProcess(QStringLiteral("node"),
                        {QStringLiteral(VORNO_SOURCE_DIR "/bench/tus-js-upload.mjs"), endpoint, session.access_token, file,
                         QStringLiteral("bench/tusjs-%1").arg(run)},
                        environment))
            return 1;
        tusJs.append(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        if (!runProcess(QStringLiteral("curl"),
                        {QStringLiteral("--silent"), QStringLiteral("--fail"), QStringLiteral("--output"),
                         QStringLiteral("/dev/null"), QStringLiteral("--cacert"), standIn.authorityPath(),
                         QStringLiteral("-X"), QStringLiteral("PUT"), QStringLiteral("--data-binary"), u'@' + file,
                         standIn.storage().toString() + QStringLiteral("/_bench/put")},
                        environment))
            return 1;
        curl.append(double(timer.nsecsElapsed()) / 1e6);

        timer.restart();
        if (!curlTus(endpoint, session.access_token, standIn.authorityPath(), chunks, size,
                     QStringLiteral("bench/curl-%1").arg(run)))
            return 1;
        curlTusTimes.append(double(timer.nsecsElapsed()) / 1e6);
    }

    const double nativeMedian = median(native);
    // Rows of the table bench/run prints: measure, ours, anchor, ratio, goal.
    std::printf("| TUS upload of 20 MiB to the stand-in, median of %d | %.0f ms | %.0f ms (curl, same TUS requests) | %.2f× | ≤ 1.2× |\n",
                runs, nativeMedian, median(curlTusTimes), nativeMedian / median(curlTusTimes));
    std::printf("| TUS upload of 20 MiB to the stand-in, median of %d | %.0f ms | %.0f ms (tus-js-client) | %.2f× | ≤ 0.6× |\n",
                runs, nativeMedian, median(tusJs), nativeMedian / median(tusJs));
    std::fprintf(stderr, "upload: curl with one PUT of the same bytes %.0f ms\n", median(curl));
    return 0;
}
