// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/TarnwickProcess.h"

#include "support/ProcessLifetime.h"
#include "support/WaylandSession.h"
#include "support/XSession.h"

#include <QDir>

#include <cstdio>

TarnwickProcess::TarnwickProcess(const XSession &session)
{
    setUp(session.environment());
}

TarnwickProcess::TarnwickProcess(const WaylandSession &session)
{
    // Mesa's EGL driver is unloaded before the leak check, and the quick
    // unwinder stops in its frames: the full stack reaches libEGL, which the
    // suppressions name.
    QProcessEnvironment env = session.environment();
    if (env.contains(QStringLiteral("ASAN_OPTIONS")))
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":fast_unwind_on_malloc=0"));
    setUp(env);
}

void TarnwickProcess::setUp(QProcessEnvironment env)
{
    const QString home = m_home.path();
    QDir(home).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(home + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("TARNWICK_TRACE_EVENTS"), QStringLiteral("1"));
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
}

TarnwickProcess::~TarnwickProcess()
{
    stopProcess(m_process, 10000);
}

void TarnwickProcess::setEnvironmentVariable(const QString &name, const QString &value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

void TarnwickProcess::start(const QStringList &arguments)
{
    m_process.start(QStringLiteral(TARNWICK_BINARY), arguments);
    m_process.waitForStarted(10000);
}

int TarnwickProcess::runCommand(const QStringList &arguments) const
{
    QProcess command;
    command.setProcessEnvironment(m_process.processEnvironment());
    command.start(QStringLiteral(TARNWICK_BINARY), arguments);
    if (!command.waitForFinished(60000))
        return -1;
    return command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
}

void TarnwickProcess::readTrace()
{
    m_pending += m_process.readAllStandardError();
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        const QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        // "tarnwick-trace <time> <event>"
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() >= 3 && parts[0] == "tarnwick-trace") {
            m_events << QString::fromUtf8(line.mid(parts[0].size() + parts[1].size() + 2));
            m_times << parts[1].toDouble();
        } else // warnings and sanitizer reports belong in the test's log
            std::fprintf(stderr, "tarnwick: %s\n", line.constData());
    }
}

int TarnwickProcess::count(const QString &event)
{
    readTrace();
    return int(m_events.count(event));
}

quint32 TarnwickProcess::windowId(const QString &which)
{
    readTrace();
    const QString prefix = which + QLatin1Char(' ');
    for (const QString &event : std::as_const(m_events)) {
        if (event.startsWith(prefix))
            return event.mid(prefix.size()).toUInt();
    }
    return 0;
}

double TarnwickProcess::timeOf(const QString &event, int occurrence)
{
    readTrace();
    for (qsizetype i = 0; i < m_events.size(); ++i) {
        if (m_events[i] == event && occurrence-- == 0)
            return m_times[i];
    }
    return -1;
}
