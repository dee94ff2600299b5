// Start-up and idle cost of `vorno` against a bare Qt Widgets tray
// application, on the same private X server: time from exec to the first
// painted frame of its top window, resident memory once started, CPU time
// over an idle stretch with the pointer still, and CPU time while the pointer
// moves elsewhere on the screen, a thousand XTest motions a second, as a
// gaming mouse sends them.
//
// The first painted frame is seen from outside: the pixel at the top centre
// of the screen is no longer the root's background. The pointer rests there,
// so vorno's first frame shows the compact notch. Usage: AppBenchmark [idle seconds, default 300] [runs, default 7]

#include "PrivateDesktop.h"
#include "TemporaryHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

struct Sample
{
    double startMs = -1;
    double rssMiB = 0;
};

// The pixel at (x, y) of the root window, as the X server has it now.
uint32_t pixelAt(xcb_connection_t *c, xcb_window_t root, int16_t x, int16_t y)
{
    auto *image = xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, root, x, y, 1, 1, ~0u), nullptr);
    uint32_t value = 0;
    if (image && xcb_get_image_data_length(image) >= 4)
        value = *reinterpret_cast<uint32_t *>(xcb_get_image_data(image));
    free(image);
    return value;
}

double residentMiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// The CPU time each thread of `pid` has used, in nanoseconds, from the
// scheduler's own clock: /proc/<pid>/stat counts in whole ticks, charged to
// whoever runs when a tick lands, which turns a few short wake-ups into tens of
// milliseconds or into none.
void addThreadTimes(qint64 pid, std::map<QString, qint64> &latest)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks + u'/' + tid + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            latest[tid] = std::max(latest[tid], schedstat.readAll().split(' ').value(0).toLongLong());
    }
}

// CPU used by `pid` over `seconds`, sampled every second so that threads that
// come and go in between are counted up to their last sample.
double idleCpuMs(qint64 pid, int seconds)
{
    std::map<QString, qint64> before;
    addThreadTimes(pid, before);
    std::map<QString, qint64> latest = before;
    for (int second = 0; second < seconds; ++second) {
        QThread::sleep(1);
        addThreadTimes(pid, latest);
    }
    qint64 used = 0;
    for (const auto &[tid, nanoseconds] : latest)
        used += nanoseconds - (before.count(tid) ? before.at(tid) : 0);
    return double(used) / 1e6;
}

// CPU used by `pid` per second while the pointer circles far from the top
// centre at `rate` motions a second for `seconds`.
double motionCpuMsPerSecond(qint64 pid, xcb_connection_t *c, xcb_window_t root, int seconds, int rate)
{
    std::map<QString, qint64> before;
    addThreadTimes(pid, before);
    timespec next {};
    clock_gettime(CLOCK_MONOTONIC, &next);
    const long step = 1000000000L / rate;
    for (int motion = 0; motion < seconds * rate; ++motion) {
        const double angle = motion * 0.01;
        xcb_test_fake_input(c, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, int16_t(500 + 200 * std::cos(angle)),
                            int16_t(700 + 200 * std::sin(angle)), 0);
        xcb_flush(c);
        next.tv_nsec += step;
        if (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
    }
    QThread::msleep(200); // what the last motions set off
    std::map<QString, qint64> after = before;
    addThreadTimes(pid, after);
    qint64 used = 0;
    for (const auto &[tid, nanoseconds] : after)
        used += nanoseconds - (before.count(tid) ? before.at(tid) : 0);
    return double(used) / 1e6 / seconds;
}

// Starts `program`, waits for its first frame at the top centre and for it to settle.
Sample start(QProcess &process, const QString &program, xcb_connection_t *c, xcb_window_t root, int width)
{
    const int16_t x = int16_t(width / 2);
    const int16_t y = 6;
    xcb_warp_pointer(c, XCB_WINDOW_NONE, root, 0, 0, 0, 0, x, 2);
    xcb_flush(c);
    const uint32_t background = pixelAt(c, root, x, y);
    QElapsedTimer clock;
    clock.start();
    process.start(program, {});
    Sample sample;
    while (clock.elapsed() < 20000 && process.state() != QProcess::NotRunning) {
        if (pixelAt(c, root, x, y) != background) {
            sample.startMs = double(clock.nsecsElapsed()) / 1e6;
            break;
        }
        QThread::usleep(200);
    }
    QThread::sleep(2);
    sample.rssMiB = residentMiB(process.processId());
    return sample;
}

void stop(QProcess &process)
{
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(5000);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 300;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    PrivateDesktop desktop(QSize(1920, 1080));
    if (!desktop.isRunning()) {
        std::fprintf(stderr, "AppBenchmark: %s\n", qPrintable(desktop.error()));
        return 1;
    }
    TemporaryHome home;
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const QString vorno = QStringLiteral(VORNO_BINARY_DIR "/bin/vorno");
    const QString bare = QStringLiteral(VORNO_BINARY_DIR "/bench/BareTrayApp");

    std::vector<double> ourStart, bareStart, ourRss, bareRss;
    for (int run = 0; run < runs; ++run) {
        // Alternate which goes first, so neither always meets a warmer cache.
        for (const bool ours : {run % 2 == 0, run % 2 != 0}) {
            QProcess process;
            const Sample sample = start(process, ours ? vorno : bare, c, root, 1920);
            stop(process);
            (ours ? ourStart : bareStart).push_back(sample.startMs);
            (ours ? ourRss : bareRss).push_back(sample.rssMiB);
        }
    }

    QProcess idle;
    (void)start(idle, vorno, c, root, 1920);
    const double idleCpu = idleCpuMs(idle.processId(), idleSeconds);

    constexpr int motionSeconds = 10;
    constexpr int motionRate = 1000;
    QProcess bareRunning;
    (void)start(bareRunning, bare, c, root, 1920);
    std::vector<double> ourMotion, bareMotion;
    for (int run = 0; run < 3; ++run) {
        ourMotion.push_back(motionCpuMsPerSecond(idle.processId(), c, root, motionSeconds, motionRate));
        bareMotion.push_back(motionCpuMsPerSecond(bareRunning.processId(), c, root, motionSeconds, motionRate));
    }
    stop(bareRunning);
    stop(idle);
    xcb_disconnect(c);

    const double startRatio = median(ourStart) / median(bareStart);
    const double rssRatio = median(ourRss) / median(bareRss);
    // Rows of the table bench/run prints: measure, ours, anchor, ratio, goal.
    std::printf("| cold start to the first painted frame, median of %d | %.0f ms | %.0f ms (bare Qt tray app) | %.2f× | ≤ 1.3× |\n",
                runs, median(ourStart), median(bareStart), startRatio);
    std::printf("| resident memory after start, idle | %.1f MiB | %.1f MiB (bare Qt tray app) | %.2f× | ≤ 1.2× |\n",
                median(ourRss), median(bareRss), rssRatio);
    std::printf("| CPU over %d s idle, pointer still | %.1f ms | 0 ms | — | ≤ 20 ms per 5 min |\n", idleSeconds, idleCpu);
    std::printf("| CPU per second while the pointer moves elsewhere, %d motions a second for %d s, median of 3 | %.2f ms "
                "| %.2f ms (bare Qt tray app) | — | ≤ 2 ms per second |\n",
                motionRate, motionSeconds, median(ourMotion), median(bareMotion));
    return 0;
}
