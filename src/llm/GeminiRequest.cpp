#include "llm/GeminiRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonObject imagePart(const QByteArray &data, const QString &mime)
{
    return QJsonObject{{QStringLiteral("inlineData"),
                        QJsonObject{{QStringLiteral("mimeType"), mime},
                                    {QStringLiteral("data"), QString::fromLatin1(data.toBase64())}}}};
}

QJsonObject content(const QString &role, const QString &text, const std::optional<QByteArray> &image,
                    const QString &mime)
{
    QJsonArray parts;
    if (image)
        parts.append(imagePart(*image, mime));
    parts.append(QJsonObject{{QStringLiteral("text"), text}});
    return QJsonObject{{QStringLiteral("role"), role}, {QStringLiteral("parts"), parts}};
}
}

ProviderRequest geminiRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                              const LLMPrompt &prompt)
{
    QJsonArray contents;
    for (const LLMTurn &turn : prompt.turns)
        contents.append(content(turn.role, turn.text, turn.imageData, turn.imageMIME));
    contents.append(content(QStringLiteral("user"), promptText(prompt), prompt.imageData, prompt.imageMIME));

    const QJsonObject body{
        {QStringLiteral("contents"), contents},
        {QStringLiteral("generationConfig"),
         QJsonObject{{QStringLiteral("temperature"), 0.9}, {QStringLiteral("maxOutputTokens"), 8192.0}}}};

    ProviderRequest request;
    request.url = baseUrl + QStringLiteral("/v1beta/models/") + model
                  + QStringLiteral(":streamGenerateContent?alt=sse&key=") + apiKey;
    request.headers = {{"Content-Type", "application/json"}};
    request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    request.keyIsEmpty = apiKey.isEmpty();
    return request;
}
