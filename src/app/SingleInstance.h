// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Result.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QPointer>
#include <QString>

#include <functional>

// One resident program per user: a lock file and a local socket, open only to
// the user, in the user's private runtime folder. A later start hands its
// request ("open", "toggle", ...) to the resident one over the socket.
class SingleInstance
{
public:
    enum class Outcome {
        Primary, // this process holds the lock and runs the program
        Forwarded, // the running instance accepted the request
        Refused, // the running instance answered that it cannot do it
        Unanswered, // the request went to the running instance, which did not answer in time
        Failed, // an instance holds the lock but takes no requests, or the folder is unusable
    };

    // How long a start waits for the running instance's answer. The request
    // is sent once: a busy instance still carries it out when it recovers.
    static constexpr int replyTimeoutMs = 10000;

    explicit SingleInstance(const QString &directory);
    ~SingleInstance();

    // Runs before any application object exists. Waits a few seconds for an
    // instance that is still starting; takes over a lock whose holder is gone.
    Outcome acquireOrForward(const QByteArray &request);
    // Why the folder cannot hold the lock and socket; empty when it can.
    QString problem() const { return m_dirReady.message(); }

    // Primary only, once the application object exists: answers later starts
    // with handler's verdict. Returns whether the socket listens.
    bool listen(std::function<bool(const QString &)> handler);

    QString socketPath() const { return m_socketPath; }

private:
    void serve();

    Result<> m_dirReady;
    QString m_socketPath;
    QLockFile m_lock;
    QPointer<QLocalServer> m_server;
    std::function<bool(const QString &)> m_handler;
};
