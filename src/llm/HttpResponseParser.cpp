// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/HttpResponseParser.h"

namespace {
// Status line and headers together; real ones are a few kilobytes.
constexpr qsizetype kHeadLimit = 64 * 1024;
// A chunk-size line or a trailer line.
constexpr qsizetype kLineLimit = 8 * 1024;

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && qstrnicmp(a.data(), a.size(), b.data(), b.size()) == 0;
}

// The chunk size before any extension; -1 when it is not a hex number that fits.
qint64 chunkSize(QByteArrayView line)
{
    const qsizetype extension = line.indexOf(';');
    const QByteArrayView digits = (extension < 0 ? line : line.first(extension)).trimmed();
    if (digits.isEmpty() || digits.size() > 15)
        return -1;
    qint64 size = 0;
    for (const char c : digits) {
        int value;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        else
            return -1;
        size = size * 16 + value;
    }
    return size;
}
} // namespace

HttpResponseParser::HttpResponseParser(bool headRequest)
    : m_headRequest(headRequest)
{
}

QByteArray HttpResponseParser::header(QByteArrayView name) const
{
    for (const auto &[key, value] : m_headers) {
        if (sameName(key, name))
            return value;
    }
    return {};
}

qsizetype HttpResponseParser::feed(QByteArrayView input, QByteArray &body)
{
    qsizetype taken = 0;
    while (taken < input.size()) {
        const QByteArrayView rest = input.sliced(taken);
        switch (m_state) {
        case State::Head:
            taken += feedHead(rest);
            break;
        case State::Body:
            if (m_framing == Framing::Chunked) {
                taken += feedChunked(rest, body);
            } else if (m_framing == Framing::Length) {
                const qsizetype n = qsizetype(qMin<qint64>(m_remaining, rest.size()));
                body.append(rest.first(n));
                taken += n;
                m_remaining -= n;
                if (m_remaining == 0)
                    m_state = State::Complete;
            } else {
                body.append(rest);
                taken = input.size();
            }
            break;
        case State::Complete:
        case State::Broken:
            return taken;
        }
    }
    return taken;
}

void HttpResponseParser::endOfInput()
{
    if (m_state == State::Body && m_framing == Framing::UntilClose)
        m_state = State::Complete;
    else if (m_state != State::Complete && m_state != State::Broken)
        breakWith("The connection closed before the response was complete.");
}

qsizetype HttpResponseParser::feedHead(QByteArrayView input)
{
    const qsizetype before = m_head.size();
    // The blank line may straddle the previous piece.
    const qsizetype from = qMax<qsizetype>(0, before - 2);
    m_head.append(input);
    const qsizetype crlf = m_head.indexOf("\n\r\n", from);
    const qsizetype lf = m_head.indexOf("\n\n", from);
    qsizetype end = -1;
    if (crlf >= 0 && (lf < 0 || crlf < lf))
        end = crlf + 3;
    else if (lf >= 0)
        end = lf + 2;
    if (end < 0) {
        if (m_head.size() > kHeadLimit)
            breakWith("The response headers are too long.");
        return input.size();
    }
    m_head.truncate(end);
    if (parseHead())
        chooseFraming();
    return end - before;
}

bool HttpResponseParser::parseHead()
{
    const QList<QByteArray> lines = m_head.split('\n');
    m_head.clear();
    const QByteArray statusLine = lines.first().trimmed();
    const QList<QByteArray> parts = statusLine.split(' ');
    bool ok = false;
    const int status = parts.size() >= 2 && parts[1].size() == 3 ? parts[1].toInt(&ok) : 0;
    if (!statusLine.startsWith("HTTP/1.") || !ok || status < 100) {
        breakWith("The server did not answer with HTTP.");
        return false;
    }
    QList<QPair<QByteArray, QByteArray>> headers;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines[i];
        const QByteArray value = line.trimmed();
        if (value.isEmpty())
            continue;
        if ((line.startsWith(' ') || line.startsWith('\t')) && !headers.isEmpty()) {
            headers.last().second += ' ' + value;
            continue;
        }
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            headers.append({line.first(colon).trimmed(), line.sliced(colon + 1).trimmed()});
    }
    // An interim answer (100 Continue and the like) comes before the real one.
    if (status < 200 && status != 101)
        return false;
    if (status == 101) {
        breakWith("The server switched to another protocol.");
        return false;
    }
    m_status = status;
    m_headers = headers;
    return true;
}

void HttpResponseParser::chooseFraming()
{
    m_state = State::Body;
    if (m_headRequest || m_status == 204 || m_status == 304) {
        m_state = State::Complete;
        return;
    }
    const QByteArray coding = header("Transfer-Encoding").toLower();
    if (!coding.isEmpty()) {
        // Any coding but chunked last runs to the close.
        m_framing = coding.endsWith("chunked") ? Framing::Chunked : Framing::UntilClose;
        return;
    }
    const QByteArray length = header("Content-Length");
    if (length.isEmpty()) {
        m_framing = Framing::UntilClose;
        return;
    }
    bool ok = false;
    m_remaining = length.trimmed().toLongLong(&ok);
    if (!ok || m_remaining < 0) {
        breakWith("The response has an invalid Content-Length.");
        return;
    }
    m_framing = Framing::Length;
    if (m_remaining == 0)
        m_state = State::Complete;
}

qsizetype HttpResponseParser::feedChunked(QByteArrayView input, QByteArray &body)
{
    qsizetype at = 0;
    while (at < input.size() && m_state == State::Body) {
        switch (m_chunkStep) {
        case ChunkStep::Size:
            if (!takeLine(input, at))
                break;
            m_remaining = chunkSize(m_line);
            m_line.clear();
            if (m_remaining < 0)
                breakWith("The response has an invalid chunk size.");
            else
                m_chunkStep = m_remaining == 0 ? ChunkStep::Trailer : ChunkStep::Data;
            break;
        case ChunkStep::Data: {
            const qsizetype n = qsizetype(qMin<qint64>(m_remaining, input.size() - at));
            body.append(input.sliced(at, n));
            at += n;
            m_remaining -= n;
            if (m_remaining == 0)
                m_chunkStep = ChunkStep::DataEnd;
            break;
        }
        case ChunkStep::DataEnd:
            if (!takeLine(input, at))
                break;
            if (!m_line.isEmpty())
                breakWith("A chunk of the response is longer than announced.");
            m_chunkStep = ChunkStep::Size;
            break;
        case ChunkStep::Trailer:
            if (!takeLine(input, at))
                break;
            if (m_line.isEmpty())
                m_state = State::Complete;
            m_line.clear();
            break;
        }
    }
    return at;
}

bool HttpResponseParser::takeLine(QByteArrayView input, qsizetype &at)
{
    const qsizetype newline = input.indexOf('\n', at);
    const qsizetype end = newline < 0 ? input.size() : newline;
    m_line.append(input.sliced(at, end - at));
    at = newline < 0 ? input.size() : newline + 1;
    if (m_line.size() > kLineLimit) {
        breakWith("The response has an overlong chunk line.");
        return false;
    }
    if (newline < 0)
        return false;
    if (m_line.endsWith('\r'))
        m_line.chop(1);
    return true;
}

void HttpResponseParser::breakWith(const char *problem)
{
    m_state = State::Broken;
    m_problem = problem;
}
