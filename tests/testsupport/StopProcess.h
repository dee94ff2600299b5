#pragma once

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>

// Ends a helper process politely, then for sure.
inline void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

// A helper that must not outlive the test, even when the test crashes: a
// leftover X server or bus would hold the test's output open and the run
// would wait for it until its timeout.
inline void endWithParent(QProcess &process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}
