// SPDX-License-Identifier: GPL-3.0-or-later
#include "FullSpeedProvider.h"
#include "LoopbackListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr qsizetype kChunkBytes = 64 * 1024;

QByteArray readRequest(int client)
{
    QByteArray request;
    char buffer[16384];
    for (ssize_t n; (n = ::read(client, buffer, sizeof buffer)) > 0;) {
        request.append(buffer, n);
        const qsizetype headerEnd = request.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            continue;
        const qsizetype at = request.toLower().indexOf("content-length:");
        if (at < 0)
            break;
        const qsizetype length = request.mid(at + 15, request.indexOf("\r\n", at) - at - 15).trimmed().toLongLong();
        if (request.size() >= headerEnd + 4 + length)
            break;
    }
    return request;
}

bool writeAll(int client, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::send(client, bytes.constData() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray chunk(const QByteArray &body)
{
    return QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n";
}

QByteArray event(bool gemini, const QByteArray &text)
{
    if (gemini)
        return R"(data: {"candidates":[{"content":{"parts":[{"text":")" + text
            + R"("}],"role":"model"},"index":0}]})"
              "\r\n\r\n";
    return R"(data: {"choices":[{"index":0,"delta":{"content":")" + text
        + R"("},"finish_reason":null}]})"
          "\n\n";
}

QByteArray finish(bool gemini)
{
    if (gemini)
        return R"(data: {"candidates":[{"content":{"parts":[{"text":"."}]},"finishReason":"STOP"}]})"
               "\r\n\r\n";
    return R"(data: {"choices":[{"delta":{},"finish_reason":"stop"}]})"
           "\n\ndata: [DONE]\n\n";
}
} // namespace

FullSpeedProvider::FullSpeedProvider()
{
    m_listener = listenOnLoopback(16, m_port);
    m_acceptor = std::thread(&FullSpeedProvider::acceptLoop, this);
}

FullSpeedProvider::~FullSpeedProvider()
{
    m_stopping = true;
    ::shutdown(m_listener, SHUT_RDWR);
    m_acceptor.join();
    ::close(m_listener);
}

QString FullSpeedProvider::baseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

void FullSpeedProvider::acceptLoop()
{
    while (!m_stopping) {
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        std::thread(&FullSpeedProvider::serve, this, client).detach();
    }
}

void FullSpeedProvider::serve(int client)
{
    const QByteArray request = readRequest(client);
    if (request.startsWith("GET ")) {
        const QByteArray body = R"({"data":[{"id":"bench-model"}]})";
        writeAll(client,
                 "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
                     + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        ::close(client);
        return;
    }
    ++m_started;
    const bool gemini = request.contains("streamGenerateContent");
    const QByteArray one = event(gemini, m_oneWord ? "aaaaaaaaaaaaaaaaaaaaaaaaaa" : "runaway words without end ");
    QByteArray body;
    while (body.size() < kChunkBytes)
        body += one;
    const QByteArray framed = chunk(body);
    const qsizetype textPerChunk = qsizetype(26) * (body.size() / one.size());
    const qsizetype answerBytes = m_answerBytes;

    bool open = writeAll(client,
                         "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream\r\n"
                         "Transfer-Encoding: chunked\r\n\r\n");
    for (qsizetype sent = 0; open && (answerBytes == 0 || sent < answerBytes); sent += textPerChunk)
        open = writeAll(client, framed);
    if (open)
        writeAll(client, chunk(finish(gemini)) + "0\r\n\r\n");
    ::shutdown(client, SHUT_WR);
    char drain[4096];
    while (::read(client, drain, sizeof drain) > 0) {
    }
    ::close(client);
    ++m_ended;
}
