// Durable saves of the local draft against the least a durable replacement
// can do: write a temporary file, fsync it, rename it over the draft and
// fsync the directory, with the same bytes, interleaved in one run. Prints
// both medians and the ratio. Not a test: it asserts nothing about time.

#include "core/DraftFile.h"
#include "core/LocalDraft.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

using namespace vorno;

namespace {

constexpr int saves = 200;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool rawSave(const QByteArray &directory, const QByteArray &bytes)
{
    const QByteArray temporary = directory + "/draft.json.tmp";
    const int file = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (file < 0)
        return false;
    const bool written = ::write(file, bytes.constData(), size_t(bytes.size())) == bytes.size() && ::fsync(file) == 0;
    ::close(file);
    if (!written || ::rename(temporary.constData(), (directory + "/draft.json").constData()) != 0)
        return false;
    const int folder = ::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0)
        ::close(folder);
    return synced;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir directory(QDir::currentPath() + QStringLiteral("/vorno-draft-bench-XXXXXX"));
    const QString ours = directory.filePath(QStringLiteral("ours"));
    const QByteArray raw = QFile::encodeName(directory.filePath(QStringLiteral("raw")));
    QDir().mkpath(ours);
    QDir().mkpath(QString::fromLocal8Bit(raw));
    const DraftFile draft {ours + QStringLiteral("/draft.json")};
    // A long note, as written through a working day.
    const LocalDraft note = LocalDraft::fromText(QStringLiteral("Reviewed the release notes and fixed two links. ").repeated(60));
    draft.save(note);
    QFile saved(draft.path);
    if (!saved.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = saved.readAll();

    std::vector<double> ourTimes;
    std::vector<double> rawTimes;
    for (int i = 0; i < saves; ++i) {
        QElapsedTimer clock;
        clock.start();
        draft.save(note);
        ourTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.restart();
        if (!rawSave(raw, bytes))
            return 1;
        rawTimes.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    const double ourMedian = median(ourTimes);
    const double rawMedian = median(rawTimes);
    // A row of the table bench/run prints: measure, ours, anchor, ratio, goal.
    std::printf("| local draft save (durable, %lld bytes), p50 of %d | %.3f ms | %.3f ms (write + fsync + rename + directory fsync) | %.2f× | ≤ 1.5× |\n",
                qint64(bytes.size()), saves, ourMedian, rawMedian, ourMedian / rawMedian);
    return 0;
}
