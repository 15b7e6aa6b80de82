#pragma once

#include <QByteArray>

// One Gemini server-sent event carrying a text part, as the service frames it (CRLF).
inline QByteArray geminiEvent(const QByteArray &text)
{
    return "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"" + text + "\"}]}}]}\r\n\r\n";
}
