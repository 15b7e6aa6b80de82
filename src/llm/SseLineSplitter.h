// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// Cuts a byte stream into text lines as reads arrive. A line ends at LF, CR
// or CRLF, also when the CR and the LF come in different reads. Each line is
// decoded from UTF-8 whole, so a character split across reads stays intact.
// A line longer than the limit stops the splitting for good, so an endless
// line cannot take all memory.
class SseLineSplitter
{
public:
    static constexpr qsizetype lineLimit = 8 * 1024 * 1024;

    QStringList feed(QByteArrayView bytes);
    // The last line when the stream ended without a terminator.
    std::optional<QString> finish();
    // A line passed the limit; nothing more is returned.
    bool overflowed() const { return m_overflowed; }

private:
    QByteArray m_partial;
    bool m_skipLineFeed = false;
    bool m_overflowed = false;
};
