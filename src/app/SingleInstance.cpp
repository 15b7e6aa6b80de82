// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include "app/InstanceRequest.h"
#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QScopeGuard>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kStartupWaitAttempts = 50;
constexpr int kAttemptIntervalMs = 100;
constexpr qint64 kMaxRequestLength = InstanceRequest::maxLineLength;

enum class Delivery {
    Unreachable, // nobody listens (yet): trying again sends nothing twice
    Accepted,
    Refused,
    Unanswered, // sent, but no answer in time: must not be sent again
};

// A plain Unix socket client: it needs no application object, so a forwarding
// start never connects to the display.
Delivery forward(const QString &socketPath, const QByteArray &request)
{
    const QByteArray path = socketPath.toLocal8Bit();
    sockaddr_un address{};
    if (path.size() >= qsizetype(sizeof(address.sun_path)))
        return Delivery::Unreachable;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), path.size());

    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Delivery::Unreachable;
    auto closer = qScopeGuard([fd] { ::close(fd); });
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
        return Delivery::Unreachable;

    const QByteArray line = request + '\n';
    for (qsizetype sent = 0; sent < line.size();) {
        const ssize_t n = ::send(fd, line.constData() + sent, line.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return sent == 0 ? Delivery::Unreachable : Delivery::Unanswered;
        sent += n;
    }

    // One deadline for the whole answer, however it trickles in.
    QDeadlineTimer deadline(SingleInstance::replyTimeoutMs);
    QByteArray reply;
    while (!reply.contains('\n')) {
        pollfd readable{fd, POLLIN, 0};
        const int ready = ::poll(&readable, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return Delivery::Unanswered;
        char buffer[64];
        const ssize_t n = ::read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Delivery::Unanswered;
        reply.append(buffer, n);
    }
    return reply.startsWith("ok\n") ? Delivery::Accepted : Delivery::Refused;
}

} // namespace

SingleInstance::SingleInstance(const QString &directory)
    : m_dirReady(AppPaths::ensurePrivateDir(directory))
    , m_socketPath(directory + QStringLiteral("/tarnwick.socket"))
    , m_lock(directory + QStringLiteral("/tarnwick.lock"))
{
    // A lock is stale only when its holder is gone, never because of its age.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

SingleInstance::Outcome SingleInstance::acquireOrForward(const QByteArray &request)
{
    if (!m_dirReady)
        return Outcome::Failed;
    for (int attempt = 0; attempt < kStartupWaitAttempts; ++attempt) {
        // tryLock also clears a lock left by a process that has died.
        if (m_lock.tryLock(0))
            return Outcome::Primary;
        switch (forward(m_socketPath, request)) {
        case Delivery::Accepted:
            return Outcome::Forwarded;
        case Delivery::Refused:
            return Outcome::Refused;
        case Delivery::Unanswered:
            return Outcome::Unanswered;
        case Delivery::Unreachable:
            break;
        }
        QThread::msleep(kAttemptIntervalMs);
    }
    // A live holder keeps an advisory lock on the file, so this removes the
    // lock only when its recorded process id now belongs to another program.
    if (m_lock.removeStaleLockFile() && m_lock.tryLock(0))
        return Outcome::Primary;
    return Outcome::Failed;
}

bool SingleInstance::listen(std::function<bool(const QString &)> handler)
{
    m_handler = std::move(handler);
    // Owned by the application object, so it closes while the event loop's machinery still exists.
    m_server = new QLocalServer(QCoreApplication::instance());
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // Holding the lock, any socket file left behind is a dead instance's.
    QLocalServer::removeServer(m_socketPath);
    if (!m_server->listen(m_socketPath))
        return false;
    QObject::connect(m_server, &QLocalServer::newConnection, m_server, [this] { serve(); });
    return true;
}

void SingleInstance::serve()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxRequestLength)
                    socket->abort();
                return;
            }
            const QString request = QString::fromUtf8(socket->readLine(kMaxRequestLength + 1)).trimmed();
            socket->write(m_handler(request) ? "ok\n" : "error\n");
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}
