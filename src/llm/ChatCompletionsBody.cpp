#include "llm/ChatCompletionsBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonObject imagePart(const QByteArray &data, const QString &mime)
{
    const QString url = QStringLiteral("data:") + mime + QStringLiteral(";base64,")
                        + QString::fromLatin1(data.toBase64());
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("image_url")},
                       {QStringLiteral("image_url"), QJsonObject{{QStringLiteral("url"), url}}}};
}

QJsonObject message(const QString &role, const QString &text, const std::optional<QByteArray> &image,
                    const QString &mime)
{
    QJsonArray parts;
    if (image)
        parts.append(imagePart(*image, mime));
    parts.append(QJsonObject{{QStringLiteral("type"), QStringLiteral("text")}, {QStringLiteral("text"), text}});
    return QJsonObject{{QStringLiteral("role"), role}, {QStringLiteral("content"), parts}};
}
}

QByteArray chatCompletionsBody(const QString &model, const LLMPrompt &prompt, const QJsonObject &extra)
{
    QJsonArray messages;
    if (!prompt.instructions.isEmpty()) {
        messages.append(QJsonObject{{QStringLiteral("role"), QStringLiteral("system")},
                                    {QStringLiteral("content"), prompt.instructions}});
    }
    for (const LLMTurn &turn : prompt.turns) {
        const QString role = turn.role == QLatin1String("model") ? QStringLiteral("assistant")
                                                                 : QStringLiteral("user");
        messages.append(message(role, turn.text, turn.imageData, turn.imageMIME));
    }
    messages.append(message(QStringLiteral("user"), promptText(prompt), prompt.imageData, prompt.imageMIME));

    // The token counts come in a last chunk only when asked for.
    QJsonObject body{{QStringLiteral("model"), model},
                           {QStringLiteral("messages"), messages},
                           {QStringLiteral("stream"), true},
                           {QStringLiteral("stream_options"), QJsonObject{{QStringLiteral("include_usage"), true}}}};
    for (auto member = extra.begin(); member != extra.end(); ++member)
        body.insert(member.key(), member.value());
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}
