// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/HistoryFileReader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr qint64 kBlockSize = 1024 * 1024;

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}
} // namespace

HistoryFileReader::HistoryFileReader(const QString &filePath)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    const int fd = ::open(QFile::encodeName(filePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_exists = errno != ENOENT;
        if (m_exists)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        m_done = true;
        return;
    }
    m_exists = true;
    struct stat info
    {
    };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        fail(QStringLiteral("not a regular file"));
        return;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        fail(m_file.errorString());
    }
}

bool HistoryFileReader::fail(const QString &reason)
{
    m_error = reason;
    m_done = true;
    return false;
}

// Another block after what is unread; false at the end of the file or a read error.
bool HistoryFileReader::fill()
{
    if (m_eof)
        return false;
    if (m_at > 0) {
        m_buffer.remove(0, m_at);
        m_bufferOffset += m_at;
        m_at = 0;
    }
    const qsizetype had = m_buffer.size();
    m_buffer.resize(had + kBlockSize);
    const qint64 got = m_file.read(m_buffer.data() + had, kBlockSize);
    m_buffer.resize(had + std::max<qint64>(got, 0));
    if (got < 0)
        return fail(m_file.errorString());
    m_eof = got == 0;
    return !m_eof;
}

bool HistoryFileReader::skipSpace()
{
    for (;;) {
        while (m_at < m_buffer.size() && isSpace(m_buffer.at(m_at)))
            ++m_at;
        if (m_at < m_buffer.size())
            return true;
        if (!fill())
            return false;
    }
}

// The end of the object that starts at m_at, just past its closing brace.
std::optional<qsizetype> HistoryFileReader::objectEnd()
{
    int depth = 0;
    bool inString = false;
    qsizetype i = m_at;
    for (;;) {
        const char *const data = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        for (; i < size; ++i) {
            const char c = data[i];
            if (inString) {
                if (c == '\\')
                    ++i; // the escaped character cannot end the string
                else if (c == '"')
                    inString = false;
            } else if (c == '"') {
                inString = true;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                return i + 1;
            }
        }
        // More is needed; the buffer may move, so the place is kept relative to the object.
        const qsizetype scanned = i - m_at;
        if (!fill())
            return std::nullopt;
        i = m_at + scanned;
    }
}

std::optional<QByteArray> HistoryFileReader::next()
{
    if (m_done)
        return std::nullopt;
    // A read error has already said what went wrong.
    const auto brokenAt = [this](const QString &what) -> std::optional<QByteArray> {
        if (m_error.isEmpty())
            fail(QStringLiteral("not JSON (%1 at byte %2)").arg(what).arg(m_bufferOffset + m_at));
        return std::nullopt;
    };
    if (!m_started) {
        if (!skipSpace())
            return brokenAt(QStringLiteral("illegal value"));
        if (m_buffer.at(m_at) != '[') {
            fail(QStringLiteral("the top level is not an array"));
            return std::nullopt;
        }
        ++m_at;
        m_started = true;
        if (!skipSpace())
            return brokenAt(QStringLiteral("unterminated array"));
        if (m_buffer.at(m_at) == ']') {
            ++m_at;
            m_done = true;
            if (skipSpace())
                return brokenAt(QStringLiteral("garbage at the end of the document"));
            return std::nullopt;
        }
    }
    if (!skipSpace())
        return brokenAt(QStringLiteral("unterminated array"));
    if (m_buffer.at(m_at) != '{') {
        fail(QStringLiteral("a conversation is not an object"));
        return std::nullopt;
    }
    const std::optional<qsizetype> end = objectEnd();
    if (!end)
        return brokenAt(QStringLiteral("unterminated object"));
    m_objectOffset = m_bufferOffset + m_at;
    QByteArray object(m_buffer.constData() + m_at, *end - m_at);
    m_at = *end;
    if (!skipSpace())
        return brokenAt(QStringLiteral("unterminated array"));
    const char after = m_buffer.at(m_at++);
    if (after == ']') {
        m_done = true;
        if (skipSpace())
            return brokenAt(QStringLiteral("garbage at the end of the document"));
    } else if (after != ',') {
        --m_at;
        return brokenAt(QStringLiteral("missing value separator"));
    }
    return object;
}
