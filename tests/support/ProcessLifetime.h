// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <functional>

// Start-up waits and shutdown for the helper processes a test runs (Xvfb,
// Weston, the portal, the program itself): they run before any event loop does.

// Polls until ready() holds; false when timeoutMs pass first. With
// runEvents, the event loop runs between the polls (for a benchmark's timing).
inline bool waitUntil(const std::function<bool()> &ready, int timeoutMs = 20000, bool runEvents = false)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        if (runEvents)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(runEvents ? 500 : 50000);
    }
    return true;
}

// Asks the process to end, and kills it when it does not within graceMs.
inline void stopProcess(QProcess &process, int graceMs = 5000)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(graceMs))
        process.kill();
    process.waitForFinished(5000);
}
