#pragma once

#include "support/LoopbackServer.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

// One Gemini server-sent event carrying a text part, as the service frames it (CRLF).
inline QByteArray geminiEvent(const QByteArray &text)
{
    return "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"" + text + "\"}]}}]}\r\n\r\n";
}

// How each provider frames a streamed answer.
enum class EventDialect { Gemini, OpenRouter, Ollama };

// One event per fragment in the provider's framing. A complete Gemini answer
// marks its last event finished; a complete OpenRouter or Ollama answer ends
// with [DONE]. OpenRouter's stream opens with its processing comment.
QList<QByteArray> answerEvents(EventDialect dialect, const QStringList &fragments, bool complete);

// An event stream answer of these events, delayMs apart after the first.
ScriptedResponse eventStream(const QList<QByteArray> &events, int delayMs);

// The JSON error body the providers send: {"error":{"code":…,"message":…}}.
QByteArray providerErrorBody(int code, const QString &message);
