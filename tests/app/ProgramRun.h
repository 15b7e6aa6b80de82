// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QTest>

// One run of the real program to its end.
struct ProgramRun
{
    int exitCode = -1; // also when it crashed or hung
    QByteArray out;
    QByteArray err;
};

// The environment of a run against a loopback provider: every provider's
// address is the server's (a local server's under /v1).
inline QProcessEnvironment loopbackEnvironment(const QString &baseUrl)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Qt's network thread now and then leaves an unreachable cycle of its own
    // objects at exit, which would turn the exit status into a leak report.
    // Our own code paths are leak-checked in process by the view model and client tests.
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    env.insert(QStringLiteral("TARNWICK_GEMINI_BASE_URL"), baseUrl);
    env.insert(QStringLiteral("TARNWICK_OPENROUTER_BASE_URL"), baseUrl);
    env.insert(QStringLiteral("TARNWICK_LOCAL_BASE_URL"), baseUrl + QStringLiteral("/v1"));
    return env;
}

// Runs `tarnwick` with these words, environment and standard input. It waits
// on the event loop, so that a loopback server in the test answers meanwhile;
// a run that hangs is killed. Standard output goes to outputFile when one is named.
inline ProgramRun runProgram(const QStringList &arguments,
                             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                             const QByteArray &input = {}, const QString &outputFile = {})
{
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!outputFile.isEmpty())
        process.setStandardOutputFile(outputFile);
    process.start(QStringLiteral(TARNWICK_BINARY), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 60000)) {
        process.kill();
        process.waitForFinished();
        return {-1, process.readAllStandardOutput(), process.readAllStandardError()};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}
