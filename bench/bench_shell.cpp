// SPDX-License-Identifier: GPL-3.0-or-later
// The tray program's figures on a private X server: cold start to tray and
// hotkeys ready, hotkey press to panel on screen, idle memory and wake-ups.
// Then a desktop shortcut's activation through the real xdg-desktop-portal to
// the panel's first frame, on a second X server whose window manager holds
// Alt+Space (so the portal holds the launch hotkey).
#include "ChildRun.h"

#include "support/PortalDesktop.h"
#include "support/ProcessLifetime.h"
#include "support/TarnwickProcess.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void printSeries(const char *what, QList<double> values)
{
    if (values.isEmpty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-44s median %7.1f ms   min %7.1f   max %7.1f   (n=%lld)\n", what, values[values.size() / 2],
                values.first(), values.last(), qlonglong(values.size()));
}

// Context switches of all threads: each one is a wake-up.
qint64 contextSwitches(qint64 pid)
{
    qint64 total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task) + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
    }
    return total;
}

struct BareFigures
{
    QList<double> toTray;
    double idleMb = -1;
};

// The bare Qt tray program beside it: start to its icon, and its idle memory.
BareFigures bareTrayFigures(const XSession &session, int starts)
{
    BareFigures figures;
    for (int i = 0; i <= starts; ++i) {
        QProcess bare;
        QProcessEnvironment env = session.environment();
        env.insert(QStringLiteral("TARNWICK_TRACE_EVENTS"), QStringLiteral("1"));
        bare.setProcessEnvironment(env);
        QByteArray trace;
        const double started = nowMs();
        bare.start(QStringLiteral(BARE_TRAY), {});
        waitUntil(
            [&] {
            trace += bare.readAllStandardError();
            return trace.contains("tray-ready");
            },
            30000, true);
        const qsizetype at = trace.indexOf("tarnwick-trace ");
        if (i < starts)
            figures.toTray << trace.mid(at + 15).split(' ').first().toDouble() - started;
        else {
            QThread::sleep(2);
            figures.idleMb = statusMib(bare.processId(), "VmRSS");
        }
        bare.terminate();
        bare.waitForFinished(5000);
    }
    return figures;
}

// The start to the desktop's answer (hotkey active), and activations to the panel's first frame.
int portalFigures()
{
    constexpr int kActivations = 20;
    XSession session{QStringLiteral(OPENBOX_RC_ALT_SPACE)};
    if (!session.problem().isEmpty()) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(session.problem()));
        return 1;
    }
    PortalDesktop desktop;
    if (!desktop.problem().isEmpty()) {
        std::fprintf(stderr, "no portal: %s\n", qPrintable(desktop.problem()));
        return 1;
    }
    TarnwickProcess tarnwick(session);
    const double started = nowMs();
    tarnwick.start();
    if (!waitUntil([&] { return tarnwick.timeOf(QStringLiteral("hotkey-launch-active")) > 0; }, 30000, true)) {
        std::fprintf(stderr, "the portal did not bind the launch hotkey\n");
        return 1;
    }
    std::printf("%-44s %7.1f ms\n", "start to launch hotkey bound by the portal",
                tarnwick.timeOf(QStringLiteral("hotkey-launch-active")) - started);

    QList<double> activationToFrame;
    const QString exposed = QStringLiteral("launcher-exposed");
    for (int i = 0; i < kActivations; ++i) {
        const int before = tarnwick.count(exposed);
        const double activated = nowMs();
        desktop.activate(QStringLiteral("launch"), QStringLiteral("bench-token"));
        if (!waitUntil([&] { return tarnwick.count(exposed) > before; }, 30000, true)) {
            std::fprintf(stderr, "the panel did not show\n");
            return 1;
        }
        activationToFrame << tarnwick.timeOf(exposed, before) - activated;
        desktop.activate(QStringLiteral("launch"));
        waitUntil([&] { return tarnwick.timeOf(QStringLiteral("launcher-hidden"), i) > 0; }, 30000, true);
    }
    printSeries("portal activation to panel's first frame", activationToFrame);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kStarts = 8;
    constexpr int kPresses = 15;
    XSession session;
    if (!session.problem().isEmpty()) {
        std::fprintf(stderr, "no X session: %s\n", qPrintable(session.problem()));
        return 1;
    }
    session.startHelper(QStringLiteral("trayer"), {QStringLiteral("--edge"), QStringLiteral("top")});
    std::printf("tarnwick: %s\n", TARNWICK_BINARY);

    QList<double> toHotkeys, toTray;
    for (int i = 0; i < kStarts; ++i) {
        TarnwickProcess tarnwick(session);
        const double started = nowMs();
        tarnwick.start();
        if (!waitUntil(
                [&] {
            return tarnwick.timeOf(QStringLiteral("launched")) > 0 && tarnwick.timeOf(QStringLiteral("tray-ready")) > 0;
                },
                30000, true)) {
            std::fprintf(stderr, "tarnwick did not start\n");
            return 1;
        }
        toHotkeys << tarnwick.timeOf(QStringLiteral("launched")) - started;
        toTray << tarnwick.timeOf(QStringLiteral("tray-ready")) - started;
    }
    printSeries("cold start to launch done (hotkeys grabbed)", toHotkeys);
    printSeries("cold start to tray icon shown", toTray);
    BareFigures bare = bareTrayFigures(session, kStarts);
    printSeries("bare Qt tray: cold start to tray icon shown", bare.toTray);
    std::sort(toTray.begin(), toTray.end());
    std::sort(bare.toTray.begin(), bare.toTray.end());

    TarnwickProcess tarnwick(session);
    tarnwick.start();
    waitUntil([&] { return tarnwick.timeOf(QStringLiteral("launched")) > 0; }, 30000, true);
    QThread::sleep(2);
    const double rssFresh = statusMib(tarnwick.pid(), "VmRSS");

    QList<double> pressToMapped, handlerToMapped;
    const QString exposedEvent = QStringLiteral("launcher-exposed");
    const QString toggleEvent = QStringLiteral("toggle");
    for (int i = 0; i < kPresses; ++i) {
        // A show may bring more than one expose; the first one counts.
        const int exposedBefore = tarnwick.count(exposedEvent);
        const int togglesBefore = tarnwick.count(toggleEvent);
        const double pressed = nowMs();
        session.pressKeys(QStringLiteral("alt+space"));
        if (!waitUntil([&] { return tarnwick.count(exposedEvent) > exposedBefore; }, 30000, true)) {
            std::fprintf(stderr, "the panel did not show\n");
            return 1;
        }
        const double exposed = tarnwick.timeOf(exposedEvent, exposedBefore);
        pressToMapped << exposed - pressed;
        handlerToMapped << exposed - tarnwick.timeOf(toggleEvent, togglesBefore);
        session.pressKeys(QStringLiteral("alt+space"));
        waitUntil([&] { return tarnwick.timeOf(QStringLiteral("launcher-hidden"), i) > 0; }, 30000, true);
    }
    printSeries("xdotool key to panel exposed", pressToMapped);
    printSeries("hotkey handler to panel exposed", handlerToMapped);

    QThread::sleep(2);
    std::printf("%-44s %7.1f MB before the first show, %.1f MB after %d shows\n", "idle resident memory (VmRSS)",
                rssFresh, statusMib(tarnwick.pid(), "VmRSS"), kPresses);
    std::printf("%-44s %7.1f MB idle\n", "bare Qt tray: resident memory", bare.idleMb);
    std::printf("%-44s start %.2fx, idle memory %.2fx (target 1.3x)\n", "tray program against the bare tray",
                toTray[toTray.size() / 2] / bare.toTray[bare.toTray.size() / 2], rssFresh / bare.idleMb);
    constexpr int kIdleSeconds = 10;
    const qint64 before = contextSwitches(tarnwick.pid());
    QThread::sleep(kIdleSeconds);
    const qint64 after = contextSwitches(tarnwick.pid());
    std::printf("%-44s %7.2f per second over %d s (all threads, panel hidden)\n", "idle wake-ups",
                double(after - before) / kIdleSeconds, kIdleSeconds);
    return portalFigures();
}
