// Uploads of 1–8 MiB files through a fault proxy in front of the stand-in's
// storage, retried the way the collection retries (from the saved address),
// then collections killed mid-upload and resumed by a new process. Prints one
// table; exits non-zero when an upload is not byte-identical, starts over, is
// left orphaned by our own retries, or a request outlives its deadline.
//
// NetworkFaults [uploads] [seed]; NetworkFaults --child <plan.json> is the
// process that is killed.

#include "AwaitTask.h"
#include "services/CloudClient.h"
#include "FaultProxy.h"
#include "services/NativeFileClient.h"
#include "StandIn.h"
#include "StopProcess.h"
#include "core/Text.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <set>

using namespace vorno;
using namespace std::chrono_literals;

namespace {

constexpr auto requestTimeout = 3s;
constexpr int attemptsPerUpload = 60;
constexpr int filesPerKill = 4;

QByteArray fileBytes(quint32 seed, int index)
{
    QRandomGenerator generator(seed * 7919u + quint32(index));
    const qsizetype size = 1024 * 1024 + qsizetype(generator.bounded(7 * 1024 * 1024));
    QByteArray bytes(size, Qt::Uninitialized);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes.first(size / 4 * 4);
}

QString objectPath(const QString &user, const QString &round, int index)
{
    return user + u"/faults/"_qs + round + u'/' + QString::number(index);
}

// The clients as the application makes them, against `origin` and its storage.
struct Clients
{
    Clients(const QUrl &origin, const QSslCertificate &authority)
    {
        api = std::make_unique<CloudClient>(origin, StandIn::apiOptions(authority));
        NativeFileClientOptions options = StandIn::fileOptions(authority);
        options.timeout = requestTimeout;
        files = std::make_unique<NativeFileClient>(api.get(), options);
    }
    std::unique_ptr<CloudClient> api;
    std::unique_ptr<NativeFileClient> files;
};

struct Tally
{
    int uploads = 0;
    int identical = 0;
    int restarted = 0;
    int orphaned = 0;
    int struck = 0;
    int pastDeadline = 0;
    int failedAttempts = 0;
    int kills = 0;
    int resumed = 0;
    int fromServerOffset = 0;
};

// One file to its end, resuming from its saved address after every failure.
// Returns how many addresses the client made for it, and counts creations whose
// answer never came back (the server may hold those; we never learnt of them).
int uploadToEnd(NativeFileClient &client, const CloudSession &session, const QByteArray &bytes, const QString &path,
                std::optional<QUrl> &saved, int &lostCreations, int &failedAttempts)
{
    int addresses = 0;
    for (int attempt = 0; attempt < attemptsPerUpload; ++attempt) {
        const bool creating = !saved;
        bool learnt = false;
        try {
            awaitTask(client.upload(bytes, NativeFileClient::paidBucket, path, u"application/octet-stream"_qs, saved,
                                    session,
                                    [&](const QUrl &address) {
                                        saved = address;
                                        learnt = true;
                                        ++addresses;
                                    },
                                    [](qint64) {}, [] { return true; }),
                      120s);
            return addresses;
        } catch (const WatchdogExpired &) {
            throw;
        } catch (const std::exception &) {
            ++failedAttempts;
            if (creating && !learnt)
                ++lostCreations;
        }
    }
    throw std::runtime_error("an upload did not finish in " + std::to_string(attemptsPerUpload) + " attempts");
}

QJsonObject stored(StandIn &standIn, const QString &path)
{
    return standIn.state().value(u"objects"_qs).toObject().value(u"career-sources/"_qs + path).toObject();
}

// Server uploads of the round's objects that never reached their length,
// beyond the creations whose answer never came back; named when found, so that
// a finding can be followed up.
int orphans(StandIn &standIn, const QString &user, const QString &round, int lostCreations)
{
    const QString prefix = user + u"/faults/"_qs + round + u'/';
    int found = -lostCreations;
    const QJsonObject uploads = standIn.state().value(u"uploads"_qs).toObject();
    for (auto it = uploads.begin(); it != uploads.end(); ++it) {
        const QJsonObject upload = it.value().toObject();
        if (upload.value(u"objectName"_qs).toString().startsWith(prefix)
            && upload.value(u"offset"_qs).toInteger() < upload.value(u"size"_qs).toInteger())
            ++found;
    }
    if (found > 0)
        std::fprintf(stderr, "%s: %d unfinished uploads nobody knows of\n", qPrintable(prefix), found);
    return std::max(0, found);
}

FaultProxy::Plan randomPlan(QRandomGenerator &random)
{
    using Fault = FaultProxy::Fault;
    if (random.bounded(100) < 15)
        return {};
    switch (random.bounded(6)) {
    case 0: return {Fault::cutRequest, random.bounded(7 * 1024 * 1024)};
    case 1: return {Fault::cutAnswer, random.bounded(6 * 1024)};
    case 2: return {Fault::stallRequest, random.bounded(7 * 1024 * 1024)};
    case 3: return {Fault::stallRequest, 0}; // the TLS handshake
    case 4: return {Fault::stallAnswer, random.bounded(6 * 1024)};
    default: return {Fault::trickleAnswer, random.bounded(6 * 1024)};
    }
}

// Every kind once, in order, before any is left to chance; none after. The
// first connection is a creation's own; the second the kept-alive one.
FaultProxy::Plan scriptedPlan()
{
    using Fault = FaultProxy::Fault;
    static const QList<FaultProxy::Plan> plans {{Fault::none, 0},                {Fault::stallRequest, 0},
                                                {Fault::cutRequest, 100000},
                                                {Fault::cutAnswer, 3000},        {Fault::stallAnswer, 3000},
                                                {Fault::trickleAnswer, 3000},    {Fault::stallRequest, 2 * 1024 * 1024},
                                                {Fault::cutRequest, 5 * 1024 * 1024}};
    static qsizetype next = 0;
    return next < plans.size() ? plans.at(next++) : FaultProxy::Plan {};
}

void faultRound(StandIn &standIn, Clients &clients, const CloudSession &session, FaultProxy &proxy, int uploads,
                quint32 seed, Tally &tally, bool scripted = false)
{
    QRandomGenerator random(seed);
    const qsizetype firstRecord = proxy.records().size();
    if (scripted)
        proxy.setPlanner(scriptedPlan);
    else
        proxy.setPlanner([&random] { return randomPlan(random); });
    const QString round = u"round-"_qs + QString::number(seed);
    int lostCreations = 0;
    for (int index = 0; index < uploads; ++index) {
        const QByteArray bytes = fileBytes(seed, index);
        const QString path = objectPath(session.user.id, round, index);
        std::optional<QUrl> saved;
        const int addresses = uploadToEnd(*clients.files, session, bytes, path, saved, lostCreations,
                                          tally.failedAttempts);
        ++tally.uploads;
        tally.restarted += std::max(0, addresses - 1);
        if (stored(standIn, path).value(u"sha256"_qs).toString() == Text::sha256Hex(bytes))
            ++tally.identical;
    }
    proxy.setPlanner({});
    tally.orphaned += orphans(standIn, session.user.id, round, lostCreations);
    for (const FaultProxy::Record &record : proxy.records().sliced(firstRecord)) {
        if (record.struck < 0)
            continue;
        ++tally.struck;
        const bool waits = record.plan.fault == FaultProxy::Fault::stallRequest
            || record.plan.fault == FaultProxy::Fault::stallAnswer || record.plan.fault == FaultProxy::Fault::trickleAnswer;
        // The client leaves a stalled connection at its request's deadline. The
        // bound is a generous ceiling, not a measurement: a loaded machine runs
        // timers late, while a client without the deadline stays until the
        // proxy gives up on it a minute later.
        const qint64 deadline = 3 * std::chrono::milliseconds(requestTimeout).count();
        if (waits && (record.abandoned || record.closed - record.struck > deadline)) {
            ++tally.pastDeadline;
            std::fprintf(stderr, "fault %d after %lld bytes: struck at %lld ms, the client left at %lld ms%s\n",
                         int(record.plan.fault), record.plan.after, record.struck, record.closed,
                         record.abandoned ? " (cut off)" : "");
        }
    }
}

// -------------------------------------------------------------- the kill --

// The killed process: uploads the plan's files one after another, saving each
// address as the collection does before a byte is sent, and "done" after each.
int child(const QString &planPath)
{
    QFile file(planPath);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    const QJsonObject plan = QJsonDocument::fromJson(file.readAll()).object();
    const QSslCertificate authority = QSslCertificate::fromPath(plan.value(u"ca"_qs).toString()).value(0);
    Clients clients(QUrl(plan.value(u"origin"_qs).toString()), authority);
    const CloudSession session = CloudSession::fromJson(plan.value(u"session"_qs).toString().toUtf8());
    const QString record = plan.value(u"record"_qs).toString();
    QJsonObject progress;
    const auto save = [&] {
        QSaveFile out(record);
        if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(progress).toJson()) < 0 || !out.commit())
            std::abort();
    };
    const auto seed = quint32(plan.value(u"seed"_qs).toInteger());
    for (int index = 0; index < filesPerKill; ++index) {
        const QString key = QString::number(index);
        awaitTask(clients.files->upload(fileBytes(seed, index), NativeFileClient::paidBucket,
                                        objectPath(session.user.id, plan.value(u"round"_qs).toString(), index),
                                        u"application/octet-stream"_qs, std::nullopt, session,
                                        [&](const QUrl &address) {
                                            progress.insert(key, address.toString(QUrl::FullyEncoded));
                                            save();
                                        },
                                        [](qint64) {}, [] { return true; }),
                  120s);
        progress.insert(key, u"done"_qs);
        save();
    }
    return 0;
}

// The upload id at the end of a TUS address.
QString uploadId(const QString &address)
{
    return address.section(u'/', -1);
}

void killRound(StandIn &standIn, Clients &clients, const CloudSession &session, FaultProxy &proxy, quint32 seed,
               Tally &tally)
{
    QTemporaryDir directory;
    const QString round = u"kill-"_qs + QString::number(seed);
    const QString record = directory.filePath(u"record.json"_qs);
    QJsonObject plan {{u"origin"_qs, standIn.origin().toString()}, {u"ca"_qs, standIn.authorityPath()},
                      {u"session"_qs, QString::fromUtf8(session.toJson())}, {u"record"_qs, record},
                      {u"seed"_qs, qint64(seed)}, {u"round"_qs, round}};
    QFile planFile(directory.filePath(u"plan.json"_qs));
    if (!planFile.open(QIODevice::WriteOnly) || planFile.write(QJsonDocument(plan).toJson()) < 0)
        throw std::runtime_error("cannot write the child's plan");
    planFile.close();

    qint64 total = 0;
    for (int index = 0; index < filesPerKill; ++index)
        total += fileBytes(seed, index).size();
    const qint64 killAt = proxy.bytesToServer() + 2 * 1024 * 1024
        + QRandomGenerator(seed).bounded(std::max<qint64>(1, total - 4 * 1024 * 1024));

    QProcess process;
    endWithParent(process);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QCoreApplication::applicationFilePath(), {u"--child"_qs, planFile.fileName()});
    if (!process.waitForStarted(10000))
        throw std::runtime_error("the child did not start");
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (proxy.bytesToServer() >= killAt || process.state() != QProcess::Running)
            loop.quit();
    });
    watch.start(2);
    loop.exec();
    process.kill();
    process.waitForFinished(10000);
    ++tally.kills;

    QFile saved(record);
    const QJsonObject progress = saved.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(saved.readAll()).object()
                                                                 : QJsonObject();
    // The server may still be writing what reached it before the kill: resume
    // once its offsets hold still.
    QJsonObject serverUploads = standIn.state().value(u"uploads"_qs).toObject();
    for (QJsonObject previous; serverUploads != previous;) {
        previous = serverUploads;
        QEventLoop pause;
        QTimer::singleShot(300, &pause, &QEventLoop::quit);
        pause.exec();
        serverUploads = standIn.state().value(u"uploads"_qs).toObject();
    }
    int lostCreations = 0;
    // Files the child had begun but not saved an address for: the kill, not a retry, left those.
    for (auto it = serverUploads.begin(); it != serverUploads.end(); ++it) {
        const QString name = it.value().toObject().value(u"objectName"_qs).toString();
        const QString index = name.section(u'/', -1);
        if (name.startsWith(session.user.id + u"/faults/"_qs + round + u'/') && !progress.contains(index))
            ++lostCreations;
    }
    for (int index = 0; index < filesPerKill; ++index) {
        const QString key = QString::number(index);
        const QString state = progress.value(key).toString();
        if (state == u"done")
            continue;
        const QByteArray bytes = fileBytes(seed, index);
        const QString path = objectPath(session.user.id, round, index);
        std::optional<QUrl> address;
        qsizetype logBefore = 0;
        qint64 serverOffset = -1;
        if (!state.isEmpty()) {
            address = QUrl(state);
            serverOffset = serverUploads.value(uploadId(state)).toObject().value(u"offset"_qs).toInteger();
            logBefore = standIn.state().value(u"log"_qs).toArray().size();
        }
        const int addresses = uploadToEnd(*clients.files, session, bytes, path, address, lostCreations,
                                          tally.failedAttempts);
        ++tally.uploads;
        if (stored(standIn, path).value(u"sha256"_qs).toString() == Text::sha256Hex(bytes))
            ++tally.identical;
        if (serverOffset < 0) {
            tally.restarted += std::max(0, addresses - 1);
            continue;
        }
        ++tally.resumed;
        tally.restarted += addresses;
        // The first PATCH after the kill starts where the server stood. A kill
        // after the last byte arrived leaves nothing to send: no PATCH at all.
        qint64 resumedAt = bytes.size();
        const QJsonArray log = standIn.state().value(u"log"_qs).toArray();
        for (qsizetype i = logBefore; i < log.size(); ++i) {
            const QJsonObject entry = log.at(i).toObject();
            if (entry.value(u"method"_qs) == u"PATCH"_qs) {
                resumedAt = entry.value(u"offset"_qs).toInteger();
                break;
            }
        }
        if (resumedAt == serverOffset)
            ++tally.fromServerOffset;
        else
            std::fprintf(stderr, "resumed at %lld, the server held %lld\n", resumedAt, serverOffset);
    }
    tally.orphaned += orphans(standIn, session.user.id, round, lostCreations);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 3 && arguments.at(1) == u"--child")
        return child(arguments.at(2));
    const int uploads = arguments.size() > 1 ? arguments.at(1).toInt() : 20;
    const auto seed = arguments.size() > 2 ? quint32(arguments.at(2).toUInt()) : QRandomGenerator::global()->generate();
    if (uploads <= 0) {
        std::fprintf(stderr, "usage: NetworkFaults [uploads] [seed]\n");
        return 2;
    }

    StandIn standIn;
    if (!standIn.isRunning()) {
        std::fprintf(stderr, "NetworkFaults: %s\n", qPrintable(standIn.error()));
        return 1;
    }
    Tally tally;
    try {
        standIn.control(u"accounts"_qs, {{u"id"_qs, u"user-faults"_qs}, {u"pro"_qs, true}});
        const CloudSession session = CloudSession::fromJson(
            QJsonDocument(standIn.control(u"sessions"_qs, {{u"userId"_qs, u"user-faults"_qs}})).toJson());
        FaultProxy proxy(QHostAddress(u"127.0.0.2"_qs), quint16(standIn.storage().port()));
        proxy.setPatience(10 * std::chrono::milliseconds(requestTimeout).count());
        standIn.control(u"advertise"_qs, {{u"port"_qs, proxy.port()}});
        Clients clients(standIn.origin(), standIn.authority());

        faultRound(standIn, clients, session, proxy, 2, seed, tally, true);
        faultRound(standIn, clients, session, proxy, uploads, seed + 1, tally);
        // The server's own refusals: 5xx, and 409 for an offset it does not hold.
        for (const int status : {503, 409, 500}) {
            standIn.control(u"faults"_qs, {{u"refuse"_qs, status}});
            faultRound(standIn, clients, session, proxy, 1, seed + quint32(status), tally);
        }
        for (int kill = 0; kill < std::max(1, uploads / 10); ++kill)
            killRound(standIn, clients, session, proxy, seed + quint32(kill) + 1000, tally);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "NetworkFaults, seed %u: %s\n", seed, error.what());
        return 1;
    }

    std::printf("| uploads | faults struck | failed tries | byte-identical | restarted | orphaned | past deadline |\n"
                "|---|---|---|---|---|---|---|\n| %d | %d | %d | %d | %d | %d | %d |\n\n",
                tally.uploads, tally.struck, tally.failedAttempts, tally.identical, tally.restarted, tally.orphaned,
                tally.pastDeadline);
    std::printf("| kills mid-upload | files resumed | from the server's offset |\n|---|---|---|\n| %d | %d | %d |\n",
                tally.kills, tally.resumed, tally.fromServerOffset);
    const bool sound = tally.identical == tally.uploads && tally.restarted == 0 && tally.orphaned == 0
        && tally.pastDeadline == 0 && tally.fromServerOffset == tally.resumed;
    if (!sound)
        std::fprintf(stderr, "NetworkFaults: findings with seed %u\n", seed);
    return sound ? 0 : 1;
}
