// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/LoopbackServer.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QStringList>
#include <QTest>

// One Gemini server-sent event carrying a text part, as the service frames it (CRLF).
inline QByteArray geminiEvent(const QByteArray &text)
{
    return "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"" + text + "\"}]}}]}\r\n\r\n";
}

// The Gemini event that marks an answer finished.
inline QByteArray geminiFinish()
{
    return "data: {\"candidates\":[{\"finishReason\":\"STOP\"}]}\r\n\r\n";
}

// One OpenRouter (or local server) chunk carrying text.
inline QByteArray chatChunk(const QByteArray &text)
{
    return "data: {\"choices\":[{\"delta\":{\"content\":\"" + text + "\"}}]}\n\n";
}

// Compact JSON, as the providers send it.
inline QByteArray jsonText(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The turns a Gemini request sent (its "contents").
inline QJsonArray geminiTurns(const RecordedRequest &request)
{
    return QJsonDocument::fromJson(request.body).object().value(QStringLiteral("contents")).toArray();
}

// How each provider frames a streamed answer.
enum class EventDialect { Gemini, OpenRouter, Ollama };

// One event per fragment in the provider's framing. A complete Gemini answer
// marks its last event finished; a complete OpenRouter or Ollama answer ends
// with [DONE]. OpenRouter's stream opens with its processing comment.
inline QList<QByteArray> answerEvents(EventDialect dialect, const QStringList &fragments, bool complete)
{
    QList<QByteArray> events;
    if (dialect == EventDialect::OpenRouter)
        events << ": OPENROUTER PROCESSING\n\n";
    for (qsizetype i = 0; i < fragments.size(); ++i) {
        if (dialect == EventDialect::Gemini) {
            QJsonObject candidate{
                {"content",
                 QJsonObject{{"parts", QJsonArray{QJsonObject{{"text", fragments[i]}}}}, {"role", "model"}}}};
            if (complete && i + 1 == fragments.size())
                candidate.insert("finishReason", "STOP");
            events << "data: " + jsonText({{"candidates", QJsonArray{candidate}}}) + "\r\n\r\n";
        } else {
            const QJsonObject choice{{"delta", QJsonObject{{"content", fragments[i]}}}};
            events << "data: " + jsonText({{"choices", QJsonArray{choice}}}) + "\n\n";
        }
    }
    if (dialect != EventDialect::Gemini && complete)
        events << "data: [DONE]\n\n";
    return events;
}

// An event stream answer of these events, delayMs apart after the first.
inline ScriptedResponse eventStream(const QList<QByteArray> &events, int delayMs)
{
    ScriptedResponse response;
    response.headers = {{"Content-Type", "text/event-stream"}};
    for (const QByteArray &event : events)
        response.writes.append({event, response.writes.isEmpty() ? 0 : delayMs});
    return response;
}

// The JSON error body the providers send: {"error":{"code":…,"message":…}}.
inline QByteArray providerErrorBody(int code, const QString &message)
{
    return jsonText({{"error", QJsonObject{{"code", code}, {"message", message}}}});
}

// The rows of a test run once per provider: a "provider" column with each one's stored name.
inline void addProviderRows()
{
    QTest::addColumn<QString>("provider");
    for (const char *provider : {"Gemini", "OpenRouter", "Local"})
        QTest::newRow(provider) << QString::fromLatin1(provider);
}
