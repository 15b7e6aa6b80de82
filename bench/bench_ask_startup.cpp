// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of `tarnwick ask`: from starting the process to the first byte of
// its request reaching a loopback provider. Run inside scripts/test-session so
// the key comes from a real keyring: bench_ask_startup PATH_TO_TARNWICK [RUNS]
#include "services/KeychainHelper.h"
#include "support/LoopbackServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>

#include <algorithm>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: bench_ask_startup PATH_TO_TARNWICK [RUNS]\n";
        return 2;
    }
    const int runs = args.size() > 2 ? args.at(2).toInt() : 30;
    KeychainHelper::save(KeychainHelper::geminiAccount, QStringLiteral("bench-key"));

    LoopbackServer server;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TARNWICK_GEMINI_BASE_URL"), server.baseUrl());

    QList<double> millis;
    for (int i = 0; i < runs; ++i) {
        server.enqueue(ScriptedResponse::withBody(200, "data: {\"candidates\":[]}\r\n\r\n"));
        const qsizetype before = server.requests().size();
        QProcess process;
        process.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        process.start(args.at(1), {QStringLiteral("ask"), QStringLiteral("hi")});
        while (server.requests().size() == before && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 1);
        millis << timer.nsecsElapsed() / 1e6;
        process.waitForFinished(10000);
    }
    std::sort(millis.begin(), millis.end());
    QTextStream(stdout) << "tarnwick ask, start to first request byte over " << runs << " runs: median "
                        << millis.at(millis.size() / 2) << " ms, p90 " << millis.at(millis.size() * 9 / 10)
                        << " ms, min " << millis.first() << " ms\n";
    return 0;
}
