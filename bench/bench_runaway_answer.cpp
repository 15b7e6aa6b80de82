// SPDX-License-Identifier: GPL-3.0-or-later
// Memory and responsiveness while a provider sends an endless answer as fast
// as loopback allows, until the 16 MB limit stops it: peak resident memory of
// `tarnwick ask` and of the panel per provider (and for the panel an answer
// that is one endless word), how long the panel takes to answer --toggle and
// SIGTERM meanwhile; then how long ordinary answers take.
// Run inside scripts/test-session (keyring, X server):
//   bench_runaway_answer [ordinary-runs] [--no-panel]
// A process past 6 GB is stopped there, to spare the machine.
#include "ChildRun.h"
#include "FullSpeedProvider.h"

#include "services/KeychainHelper.h"
#include "support/ProcessLifetime.h"
#include "support/TarnwickProcess.h"
#include "support/XSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>

#include <csignal>

namespace {

constexpr qint64 kMemoryCap = qint64(6) << 30;

struct Provider
{
    const char *name;
    bool oneWord = false; // the answer is one endless word
};
constexpr Provider kProviders[] = {{"Gemini"}, {"OpenRouter"}, {"Local"}};
constexpr Provider kOneWord{"Local", true};

// Runs `tarnwick ask` with its output thrown away; peak memory from the kernel.
ChildRun runAsk(const char *provider)
{
    return runChild({TARNWICK_BINARY, "ask", "--provider", provider, "--model", "bench-model", "hi"}, true, kMemoryCap);
}

void writePreferences(const TarnwickProcess &tarnwick, const char *provider, const QString &baseUrl)
{
    QDir().mkpath(tarnwick.home() + QStringLiteral("/config/Tarnwick"));
    QFile file(tarnwick.home() + QStringLiteral("/config/Tarnwick/preferences.json"));
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(QJsonObject{{"selectedProvider", QString::fromLatin1(provider)},
                                         {"selectedLocalModel", "bench-model"},
                                         {"selectedOpenRouterModel", "bench-model"},
                                         {"selectedGeminiModel", "bench-model"},
                                         {"localServerAddress", baseUrl + QStringLiteral("/v1")}})
                   .toJson());
}

// The tray program with the panel open and a question sent; false when it did not get that far.
bool askInPanel(XSession &session, TarnwickProcess &tarnwick, FullSpeedProvider &server, const char *provider)
{
    writePreferences(tarnwick, provider, server.baseUrl());
    tarnwick.start();
    if (!waitUntil([&] { return tarnwick.timeOf(QStringLiteral("launched")) > 0; }, 30000, true))
        return false;
    const int shown = tarnwick.count(QStringLiteral("launcher-exposed"));
    session.pressKeys(QStringLiteral("alt+space"));
    if (!waitUntil([&] { return tarnwick.count(QStringLiteral("launcher-exposed")) > shown; }, 30000, true))
        return false;
    const int before = server.started();
    session.xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("hi")});
    session.pressKeys(QStringLiteral("Return"));
    return waitUntil([&] { return server.started() > before; }, 30000, true);
}

void panelFigures(XSession &session, FullSpeedProvider &server, const Provider &provider)
{
    server.setAnswerBytes(0);
    server.setOneWord(provider.oneWord);
    const char *label = provider.oneWord ? "one word" : provider.name;
    {
        TarnwickProcess tarnwick(session);
        if (!askInPanel(session, tarnwick, server, provider.name)) {
            std::printf("  panel       %-10s  could not send the question\n", label);
            return;
        }
        // What the panel held as the answer began: the rest of the peak is the answer's.
        const double startMib = statusMib(tarnwick.pid(), "VmRSS");
        QElapsedTimer clock;
        clock.start();
        const int ended = server.ended();
        QThread::msleep(500);
        QElapsedTimer toggleClock;
        toggleClock.start();
        const int toggleExit = tarnwick.runCommand({QStringLiteral("--toggle")});
        const double toggleMs = toggleClock.nsecsElapsed() / 1e6;
        bool capped = false;
        const bool stopped = waitUntil(
            [&] {
            capped = statusMib(tarnwick.pid(), "VmRSS") * 1024 * 1024 > kMemoryCap;
            if (capped)
                ::kill(pid_t(tarnwick.pid()), SIGKILL);
            return capped || server.ended() > ended;
            },
            180000, true);
        const double seconds = clock.nsecsElapsed() / 1e9;
        std::printf("  panel       %-10s  peak %7.1f MiB (%5.1f MiB as it began)  %s after %5.1f s  --toggle answered "
                    "in %6.0f ms (exit %d)\n",
                    label, capped ? 6144.0 : statusMib(tarnwick.pid(), "VmHWM"), startMib,
                    capped        ? "KILLED AT THE CAP"
                        : stopped ? "stopped"
                                  : "STILL RUNNING",
                    seconds, toggleMs, toggleExit);
    }
    TarnwickProcess tarnwick(session);
    if (!askInPanel(session, tarnwick, server, provider.name))
        return;
    QThread::msleep(1000);
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(tarnwick.pid()), SIGTERM);
    const bool quit = tarnwick.process().waitForFinished(60000);
    std::printf("  panel       %-10s  SIGTERM one second into the answer: %s in %.0f ms\n", label,
                quit ? "quit" : "STILL RUNNING", clock.nsecsElapsed() / 1e6);
}

void ordinaryFigures(FullSpeedProvider &server, int runs)
{
    for (const qsizetype bytes : {qsizetype(20 * 1000), qsizetype(4 * 1000 * 1000)}) {
        server.setAnswerBytes(bytes);
        for (const Provider &provider : kProviders) {
            QList<double> seconds;
            for (int i = 0; i < runs; ++i)
                seconds << runAsk(provider.name).seconds;
            std::sort(seconds.begin(), seconds.end());
            std::printf("  ask         %-10s  %5lld KB answer: median %7.1f ms  min %7.1f ms\n", provider.name,
                        qlonglong(bytes / 1000), seconds[seconds.size() / 2] * 1e3, seconds.first() * 1e3);
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int ordinaryRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const bool panel = !app.arguments().contains(QStringLiteral("--no-panel"));
    KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("bench-key"));
    KeychainHelper::save(KeychainHelper::openRouterAccount, QStringLiteral("bench-key"));
    FullSpeedProvider server;
    for (const char *name : {"TARNWICK_GEMINI_BASE_URL", "TARNWICK_OPENROUTER_BASE_URL"})
        qputenv(name, server.baseUrl().toUtf8());
    qputenv("TARNWICK_LOCAL_BASE_URL", (server.baseUrl() + QStringLiteral("/v1")).toUtf8());

    std::printf("An endless answer at full loopback speed, until the 16 MB limit stops it:\n");
    for (const Provider &provider : kProviders) {
        const ChildRun run = runAsk(provider.name);
        std::printf("  ask         %-10s  peak %7.1f MiB  exit %d after %5.1f s\n", provider.name, run.peakMib,
                    run.exitCode, run.seconds);
    }
    if (panel) {
        XSession session;
        if (session.problem().isEmpty()) {
            for (const Provider &provider : kProviders)
                panelFigures(session, server, provider);
            panelFigures(session, server, kOneWord);
        } else {
            std::printf("  panel figures left out: %s\n", qPrintable(session.problem()));
        }
    }
    std::printf("Ordinary answers over %d runs (process start to exit):\n", ordinaryRuns);
    ordinaryFigures(server, ordinaryRuns);
    return 0;
}
