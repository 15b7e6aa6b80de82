// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshot figure under an X server: from the screenshot request to our
// region selector being on screen (the launcher's 0.3 s fade-out included),
// through the same flow the launcher uses. Each run is then cancelled with Esc.
#include "services/ScreenshotFlow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

bool selectorVisible()
{
    QProcess probe;
    probe.start(QStringLiteral("xwininfo"), {QStringLiteral("-name"), QStringLiteral("Tarnwick region selector")});
    probe.waitForFinished();
    return probe.readAllStandardOutput().contains("IsViewable");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fputs("needs an X server: run inside scripts/test-session\n", stderr);
        return 1;
    }
    QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    qputenv("TARNWICK_SCREENSHOT_COMMAND", "env QT_QPA_PLATFORM=xcb '" TARNWICK_PROGRAM "' capture-region");

    QList<qint64> times;
    for (int run = 0; run < 7; ++run) {
        ScreenshotFlow flow;
        QSignalSpy finished(&flow, &ScreenshotFlow::finished);
        QElapsedTimer clock;
        clock.start();
        flow.start();
        while (!selectorVisible() && clock.elapsed() < 20000)
            QCoreApplication::processEvents();
        times << clock.elapsed();
        while (finished.isEmpty() && clock.elapsed() < 40000) {
            QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")});
            finished.wait(200);
        }
        std::printf("run %d: request to selector on screen %lld ms\n", run + 1, static_cast<long long>(times.last()));
    }
    std::sort(times.begin(), times.end());
    std::printf("\nrequest to selector on screen: median %lld ms (min %lld, max %lld), of which 300 ms is the "
                "launcher's fade-out\n",
                static_cast<long long>(times.at(times.size() / 2)), static_cast<long long>(times.first()),
                static_cast<long long>(times.last()));
    return 0;
}
