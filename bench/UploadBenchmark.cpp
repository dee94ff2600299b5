// Uploads 20 MiB to the stand-in on loopback with NativeFileClient, with
// tus-js-client and with a single curl PUT, five times each, and prints the
// medians and ratios. Not a test: it asserts nothing about time.

#include "AwaitTask.h"
#include "CloudClient.h"
#include "NativeFileClient.h"
#include "StandIn.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace vorno;

namespace {

constexpr int runs = 5;
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

    CloudClientOptions apiOptions;
    apiOptions.extraAuthorities = {standIn.authority()};
    CloudClient api(standIn.origin(), apiOptions);
    NativeFileClientOptions options;
    options.projectHostSuffix = QStringLiteral(".0.0.1");
    options.directHostSuffix = QStringLiteral(".0.0.2");
    options.extraAuthorities = {standIn.authority()};
    NativeFileClient client(&api, options);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NODE_EXTRA_CA_CERTS"), standIn.authorityPath());
    const QString endpoint = standIn.storage().toString() + NativeFileClient::uploadPath;

    QList<double> native, tusJs, curl;
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
    }

    const double nativeMedian = median(native);
    std::printf("20 MiB upload on loopback, median of %d runs\n", runs);
    std::printf("  NativeFileClient (TUS, 6 MiB chunks): %8.1f ms\n", nativeMedian);
    std::printf("  tus-js-client (TUS, 6 MiB chunks):    %8.1f ms  (native/tus-js = %.2f)\n", median(tusJs),
                nativeMedian / median(tusJs));
    std::printf("  curl, one PUT:                        %8.1f ms  (native/curl = %.2f)\n", median(curl),
                nativeMedian / median(curl));
    return 0;
}
