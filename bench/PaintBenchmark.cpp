// Repaints the busiest page (preferences of a signed-in account, every section
// open) through a scripted one-second morph of its height, 120 frames, and
// prints the frame times' p50 and p95; then counts the repaints during two
// idle seconds, which should be none. Run under an X server (bench/paint runs
// it under Xvfb). Not a test: it asserts nothing about time.

#include "support/AccessibilitySettings.h"
#include "AwaitTask.h"
#include "stores/CaptureStore.h"
#include "stores/CloudStore.h"
#include "views/PreferencesView.h"
#include "ScriptedNotificationCenter.h"
#include "ScriptedTransport.h"
#include "ScriptedVault.h"
#include "TemporaryHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace vorno;

namespace {

constexpr int frames = 120;
constexpr int rounds = 5;

class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(fraction * double(values.size())))];
}

void settle(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    TemporaryHome home;
    AccessibilitySettings settings;
    ScriptedNotificationCenter notifications;
    notifications.current = NotificationCenter::Authorization::authorized;

    auto vault = std::make_unique<ScriptedVault>();
    vault->entries.insert(u"session"_qs, ScriptedTransport::sessionFor(u"user-1"_qs).toJson());
    auto *cloud = new CloudStore(std::make_unique<ScriptedTransport>(), std::move(vault));
    awaitTask(cloud->restore());
    CaptureStoreOptions options;
    options.cloud = cloud;
    options.notchEnabled = [] { return true; };
    CaptureStore store(options);

    QWidget panel;
    panel.setAttribute(Qt::WA_TranslucentBackground);
    auto *layout = new QVBoxLayout(&panel);
    auto *view = new PreferencesView(&store, &notifications, &settings, {QUrl(u"https://vorno.example"_qs), {}, {}}, &panel);
    layout->addWidget(view);
    view->refresh();
    panel.resize(460, 520);
    panel.show();
    settle(1500);

    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        for (int frame = 0; frame < frames; ++frame) {
            // Closing and opening again: a spring-like ease of the height.
            const double t = double(frame) / (frames - 1);
            const double open = 0.5 - 0.5 * std::cos(2 * M_PI * t);
            QElapsedTimer timer;
            timer.start();
            panel.resize(460, int(std::lround(200 + 320 * open)));
            panel.repaint();
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
            QApplication::processEvents();
        }
    }
    settle(300);

    PaintCounter counter;
    application.installEventFilter(&counter);
    settle(2000);
    application.removeEventFilter(&counter);

    std::printf("paint: %d frames, p50 %.2f ms, p95 %.2f ms; repaints in 2 s idle: %d\n", int(times.size()),
                percentile(times, 0.5), percentile(times, 0.95), counter.paints);
    return 0;
}
