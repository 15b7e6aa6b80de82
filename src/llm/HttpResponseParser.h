// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPair>

// An HTTP/1.1 response read as its bytes arrive, in pieces of any size: the
// status line and headers, then the body unframed from chunked,
// Content-Length or close-delimited transfer. It holds no more than one
// header block or one chunk-size line; body bytes go straight out.
class HttpResponseParser
{
public:
    enum class State { Head, Body, Complete, Broken };

    // A response to HEAD has headers only.
    explicit HttpResponseParser(bool headRequest = false);

    // Appends the body bytes that the input completes to body; returns the
    // number of input bytes it took, fewer than given only once the response
    // is complete or broken.
    qsizetype feed(QByteArrayView input, QByteArray &body);
    // The connection closed: a body that runs to the close is complete now.
    void endOfInput();

    State state() const { return m_state; }
    bool isComplete() const { return m_state == State::Complete; }
    bool hasHead() const { return m_status != 0; }
    int status() const { return m_status; }
    // The value of the first header of that name (case-insensitive), or empty.
    QByteArray header(QByteArrayView name) const;
    // Why the response could not be read, once broken.
    const QByteArray &problem() const { return m_problem; }

private:
    enum class Framing { None, Length, Chunked, UntilClose };
    enum class ChunkStep { Size, Data, DataEnd, Trailer };

    qsizetype feedHead(QByteArrayView input);
    qsizetype feedChunked(QByteArrayView input, QByteArray &body);
    bool parseHead();
    void chooseFraming();
    // Gathers one line into m_line; true once it ends (CRLF or LF, not kept).
    bool takeLine(QByteArrayView input, qsizetype &at);
    void breakWith(const char *problem);

    bool m_headRequest;
    State m_state = State::Head;
    int m_status = 0;
    QList<QPair<QByteArray, QByteArray>> m_headers;
    QByteArray m_head;
    QByteArray m_line;
    Framing m_framing = Framing::None;
    ChunkStep m_chunkStep = ChunkStep::Size;
    qint64 m_remaining = 0;
    QByteArray m_problem;
};
