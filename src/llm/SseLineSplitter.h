#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

// Cuts a byte stream into text lines as reads arrive. A line ends at LF, CR
// or CRLF, also when the CR and the LF come in different reads. Each line is
// decoded from UTF-8 whole, so a character split across reads stays intact.
class SseLineSplitter
{
public:
    QStringList feed(QByteArrayView bytes);
    // The last line when the stream ended without a terminator.
    std::optional<QString> finish();

private:
    QByteArray m_partial;
    bool m_skipLineFeed = false;
};
