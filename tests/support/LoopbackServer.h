// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;

using HeaderList = QList<QPair<QByteArray, QByteArray>>;

// One scripted HTTP answer: status line, headers, then the body as a list of
// writes, each after its own delay, framed the chosen way; then the end.
struct ScriptedResponse
{
    enum class Framing { ContentLength, Chunked, CloseDelimited };
    enum class Ending { Complete, Stall, Drop };
    struct Write
    {
        QByteArray bytes;
        int delayMs = 0;
    };

    int status = 200;
    HeaderList headers;
    QList<Write> writes;
    Framing framing = Framing::Chunked;
    Ending ending = Ending::Complete;
    // Content-Length to announce instead of the body's size (to fake a cut).
    qint64 declaredLength = -1;
    // After the last write, start again at this write and never end (an
    // endless answer); the pace follows the client's reading. -1: off.
    int repeatFrom = -1;

    // body cut into writes of chunkSize bytes (0: one write), delayMs apart.
    static ScriptedResponse withBody(int status, const QByteArray &body, int chunkSize = 0, int delayMs = 0,
                                     const QByteArray &contentType = "text/event-stream");
    QByteArray body() const;
};

// A request as the server read it.
struct RecordedRequest
{
    QByteArray method;
    QByteArray path;
    QByteArray query; // without the '?'
    HeaderList headers;
    QByteArray body;
    // The client closed the connection before the answer was complete.
    bool closedByClient = false;

    QByteArray header(const QByteArray &name) const;
};

// A real HTTP/1.1 server on 127.0.0.1 that replays scripted answers in turn
// (or asks a responder) and records every request it receives.
class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    explicit LoopbackServer(quint16 port = 0, QObject *parent = nullptr);
    ~LoopbackServer() override;

    bool isListening() const;
    quint16 port() const;
    QString baseUrl() const;

    void enqueue(const ScriptedResponse &response);
    // Answers every request when set; the queue is used otherwise.
    void setResponder(std::function<ScriptedResponse(const RecordedRequest &)> responder);

    const QList<RecordedRequest> &requests() const { return m_requests; }

private:
    struct Connection;
    void accept();
    void readFrom(const std::shared_ptr<Connection> &connection);
    void answer(const std::shared_ptr<Connection> &connection, int requestIndex);
    void writeStep(const std::shared_ptr<Connection> &connection, int requestIndex, const ScriptedResponse &response,
                   int step);
    void finishAnswer(const std::shared_ptr<Connection> &connection, const ScriptedResponse &response);

    QTcpServer *m_server;
    QList<ScriptedResponse> m_queue;
    std::function<ScriptedResponse(const RecordedRequest &)> m_responder;
    QList<RecordedRequest> m_requests;
};
