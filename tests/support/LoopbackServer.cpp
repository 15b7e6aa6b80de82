// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/LoopbackServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

struct LoopbackServer::Connection
{
    QPointer<QTcpSocket> socket;
    QByteArray buffer;
    int answering = -1; // index of the request being answered
};

ScriptedResponse ScriptedResponse::withBody(int status, const QByteArray &body, int chunkSize, int delayMs,
                                            const QByteArray &contentType)
{
    ScriptedResponse response;
    response.status = status;
    response.headers = {{"Content-Type", contentType}};
    const qsizetype size = chunkSize > 0 ? chunkSize : qMax<qsizetype>(body.size(), 1);
    for (qsizetype offset = 0; offset < body.size(); offset += size)
        response.writes.append({body.mid(offset, size), offset == 0 ? 0 : delayMs});
    return response;
}

QByteArray ScriptedResponse::body() const
{
    QByteArray all;
    for (const Write &write : writes)
        all += write.bytes;
    return all;
}

QByteArray RecordedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

LoopbackServer::LoopbackServer(quint16 port, QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &LoopbackServer::accept);
    m_server->listen(QHostAddress::LocalHost, port);
}

LoopbackServer::~LoopbackServer() = default;

bool LoopbackServer::isListening() const
{
    return m_server->isListening();
}

quint16 LoopbackServer::port() const
{
    return m_server->serverPort();
}

QString LoopbackServer::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port());
}

void LoopbackServer::enqueue(const ScriptedResponse &response)
{
    m_queue.append(response);
}

void LoopbackServer::setResponder(std::function<ScriptedResponse(const RecordedRequest &)> responder)
{
    m_responder = std::move(responder);
}

void LoopbackServer::accept()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        auto connection = std::make_shared<Connection>();
        connection->socket = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, connection] { readFrom(connection); });
        connect(socket, &QTcpSocket::disconnected, this, [this, connection] {
            if (connection->answering >= 0)
                m_requests[connection->answering].closedByClient = true;
            connection->answering = -1;
            connection->socket->deleteLater();
        });
    }
}

void LoopbackServer::readFrom(const std::shared_ptr<Connection> &connection)
{
    connection->buffer += connection->socket->readAll();
    // One request at a time: the client waits for each answer.
    while (connection->answering < 0) {
        const qsizetype headerEnd = connection->buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        const QList<QByteArray> lines = connection->buffer.left(headerEnd).split('\n');
        RecordedRequest request;
        const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
        request.method = requestLine.value(0);
        const QByteArray target = requestLine.value(1);
        const qsizetype question = target.indexOf('?');
        request.path = question < 0 ? target : target.left(question);
        request.query = question < 0 ? QByteArray() : target.mid(question + 1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
        }
        const qsizetype length = request.header("Content-Length").toLongLong();
        if (connection->buffer.size() < headerEnd + 4 + length)
            return;
        request.body = connection->buffer.mid(headerEnd + 4, length);
        connection->buffer.remove(0, headerEnd + 4 + length);
        m_requests.append(request);
        connection->answering = int(m_requests.size() - 1);
        answer(connection, connection->answering);
    }
}

void LoopbackServer::answer(const std::shared_ptr<Connection> &connection, int requestIndex)
{
    ScriptedResponse response;
    if (m_responder)
        response = m_responder(m_requests[requestIndex]);
    else if (!m_queue.isEmpty())
        response = m_queue.takeFirst();
    else
        response = ScriptedResponse::withBody(500, "no scripted answer left", 0, 0, "text/plain");

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " Scripted\r\n";
    for (const auto &[name, value] : std::as_const(response.headers))
        head += name + ": " + value + "\r\n";
    switch (response.framing) {
    case ScriptedResponse::Framing::ContentLength:
        head += "Content-Length: "
            + QByteArray::number(response.declaredLength >= 0 ? response.declaredLength : response.body().size())
            + "\r\n";
        break;
    case ScriptedResponse::Framing::Chunked:
        head += "Transfer-Encoding: chunked\r\n";
        break;
    case ScriptedResponse::Framing::CloseDelimited:
        head += "Connection: close\r\n";
        break;
    }
    connection->socket->write(head + "\r\n");
    writeStep(connection, requestIndex, response, 0);
}

void LoopbackServer::writeStep(const std::shared_ptr<Connection> &connection, int requestIndex,
                               const ScriptedResponse &response, int step)
{
    if (!connection->socket || connection->answering != requestIndex)
        return;
    if (step == response.writes.size()) {
        if (response.repeatFrom < 0 || response.repeatFrom >= step) {
            finishAnswer(connection, response);
            return;
        }
        step = response.repeatFrom;
    }
    const ScriptedResponse::Write &write = response.writes[step];
    auto send = [this, connection, requestIndex, response, step, socket = connection->socket] {
        if (!socket || connection->answering != requestIndex)
            return;
        const QByteArray &bytes = response.writes[step].bytes;
        if (response.framing == ScriptedResponse::Framing::Chunked)
            socket->write(QByteArray::number(bytes.size(), 16) + "\r\n" + bytes + "\r\n");
        else
            socket->write(bytes);
        socket->flush();
        // An endless answer waits while the client lags, so the server's buffer stays small.
        if (response.repeatFrom >= 0 && socket->bytesToWrite() > 4 * 1024 * 1024) {
            auto waiting = std::make_shared<QMetaObject::Connection>();
            *waiting = connect(socket, &QTcpSocket::bytesWritten, this,
                               [this, connection, requestIndex, response, step, socket, waiting] {
                if (socket->bytesToWrite() > 1024 * 1024)
                    return;
                disconnect(*waiting);
                writeStep(connection, requestIndex, response, step + 1);
            });
            return;
        }
        writeStep(connection, requestIndex, response, step + 1);
    };
    if (write.delayMs > 0)
        QTimer::singleShot(write.delayMs, connection->socket, send);
    else
        QMetaObject::invokeMethod(connection->socket, send, Qt::QueuedConnection);
}

void LoopbackServer::finishAnswer(const std::shared_ptr<Connection> &connection, const ScriptedResponse &response)
{
    switch (response.ending) {
    case ScriptedResponse::Ending::Stall:
        return;
    case ScriptedResponse::Ending::Drop:
        connection->answering = -1;
        connection->socket->flush();
        connection->socket->abort();
        return;
    case ScriptedResponse::Ending::Complete:
        break;
    }
    if (response.framing == ScriptedResponse::Framing::Chunked)
        connection->socket->write("0\r\n\r\n");
    connection->answering = -1;
    if (response.framing == ScriptedResponse::Framing::CloseDelimited) {
        connection->socket->disconnectFromHost();
        return;
    }
    connection->socket->flush();
    if (!connection->buffer.isEmpty())
        readFrom(connection);
}
