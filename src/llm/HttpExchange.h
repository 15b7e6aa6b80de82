// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/HttpResponseParser.h"
#include "llm/LLMError.h"
#include "llm/ProviderRequest.h"

#include <QAbstractSocket>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <chrono>

class QSslSocket;

// One HTTP/1.1 request on a connection of its own. The body of a 200 answer
// is handed on as it arrives, a bounded piece per turn of the event loop, and
// no faster than it is taken: a server that sends faster waits in the
// kernel's socket buffer, not in memory. Any other status, a transport
// failure, a redirect to another origin or a silence longer than the idle
// timeout ends it with an error.
class HttpExchange : public QObject
{
    Q_OBJECT
public:
    explicit HttpExchange(ProviderRequest request, QObject *parent = nullptr);
    ~HttpExchange() override;

    void start();
    // Closes the connection at once; no signal follows.
    void abort();

    static void setIdleTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds idleTimeout();
    // How long a server on the user's side may take before its first byte.
    static void setFirstByteTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds firstByteTimeout();

Q_SIGNALS:
    void received(const QByteArray &bytes);
    void completed();
    void failed(const LLMError &error);

private:
    void open();
    void sendRequest();
    void readSome();
    bool takeHead();
    bool followRedirect(const QByteArray &location);
    // A 200 answer of the expected type, whose body is handed on.
    bool isAnswer() const;
    void deliver(const QByteArray &body);
    void finish();
    void onSocketError(QAbstractSocket::SocketError error);
    void onIdle();
    void rearmIdle();
    void checkContentType();
    LLMError errorForBody() const;
    void fail(const LLMError &error);
    void releaseSocket();

    ProviderRequest m_request;
    // Where the request goes: the address, or one a redirect on the same server named.
    QUrl m_url;
    QPointer<QSslSocket> m_socket;
    QByteArray m_requestHead;
    HttpResponseParser m_parser;
    QTimer m_idle;
    // The next piece of what already waits in the socket.
    QTimer m_nextPiece;
    int m_redirects = 0;
    bool m_peerClosed = false;
    int m_status = 0;
    QByteArray m_errorBody;
    qint64 m_receivedBytes = 0;
    // The content type of a 200 answer that should have been an event stream.
    QString m_wrongContentType;
    bool m_done = false;
};
