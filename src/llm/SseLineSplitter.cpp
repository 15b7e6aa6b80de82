// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/SseLineSplitter.h"

#include <algorithm>

QStringList SseLineSplitter::feed(QByteArrayView bytes)
{
    QStringList lines;
    if (m_overflowed)
        return lines;
    const char *cursor = bytes.data();
    const char *const end = cursor + bytes.size();
    if (m_skipLineFeed && cursor != end) {
        if (*cursor == '\n')
            ++cursor;
        m_skipLineFeed = false;
    }
    while (cursor != end) {
        const char *terminator = std::find_if(cursor, end, [](char c) { return c == '\n' || c == '\r'; });
        if (m_partial.size() + (terminator - cursor) > lineLimit) {
            m_overflowed = true;
            m_partial.clear();
            break;
        }
        if (terminator == end) {
            m_partial.append(cursor, end - cursor);
            break;
        }
        if (m_partial.isEmpty()) {
            lines.append(QString::fromUtf8(cursor, terminator - cursor));
        } else {
            m_partial.append(cursor, terminator - cursor);
            lines.append(QString::fromUtf8(m_partial));
            m_partial.clear();
        }
        cursor = terminator + 1;
        if (*terminator == '\r') {
            if (cursor == end)
                m_skipLineFeed = true;
            else if (*cursor == '\n')
                ++cursor;
        }
    }
    return lines;
}

std::optional<QString> SseLineSplitter::finish()
{
    m_skipLineFeed = false;
    if (m_partial.isEmpty() || m_overflowed)
        return std::nullopt;
    const QString line = QString::fromUtf8(m_partial);
    m_partial.clear();
    return line;
}
