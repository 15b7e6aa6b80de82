#include "support/ProviderEvents.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QList<QByteArray> answerEvents(EventDialect dialect, const QStringList &fragments, bool complete)
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
            events << "data: " + compact({{"candidates", QJsonArray{candidate}}}) + "\r\n\r\n";
        } else {
            const QJsonObject choice{{"delta", QJsonObject{{"content", fragments[i]}}}};
            events << "data: " + compact({{"choices", QJsonArray{choice}}}) + "\n\n";
        }
    }
    if (dialect != EventDialect::Gemini && complete)
        events << "data: [DONE]\n\n";
    return events;
}

ScriptedResponse eventStream(const QList<QByteArray> &events, int delayMs)
{
    ScriptedResponse response;
    response.headers = {{"Content-Type", "text/event-stream"}};
    for (const QByteArray &event : events)
        response.writes.append({event, response.writes.isEmpty() ? 0 : delayMs});
    return response;
}

QByteArray providerErrorBody(int code, const QString &message)
{
    return compact({{"error", QJsonObject{{"code", code}, {"message", message}}}});
}
