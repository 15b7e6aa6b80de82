// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

class WaylandSession;
class XSession;

// The real `tarnwick` program on a test X session (or Wayland compositor), in
// its own home folder, with its event trace collected from standard error.
class TarnwickProcess
{
public:
    explicit TarnwickProcess(const XSession &session);
    explicit TarnwickProcess(const WaylandSession &session);
    ~TarnwickProcess();

    void setEnvironmentVariable(const QString &name, const QString &value);
    void start(const QStringList &arguments = {});
    // Another `tarnwick` in the same home; returns its exit code.
    int runCommand(const QStringList &arguments) const;

    QProcess &process() { return m_process; }
    // How often an event was traced; "request open" and the like.
    int count(const QString &event);
    // The number after "launcher-window ", "settings-window ", ... (0 if none yet).
    quint32 windowId(const QString &which);
    // CLOCK_MONOTONIC milliseconds of the nth (from 0) such event; -1 if none yet.
    double timeOf(const QString &event, int occurrence = 0);
    qint64 pid() const { return m_process.processId(); }
    QString home() const { return m_home.path(); }

private:
    void setUp(QProcessEnvironment env);
    void readTrace();

    QTemporaryDir m_home;
    QProcess m_process;
    QStringList m_events;
    QList<double> m_times;
    QByteArray m_pending;
};
