// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/TranscriptionReply.h"

#include "llm/ProviderErrorBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// The answer's object. A body that is no JSON object (a sign-in page or a
// proxy's page says so) or that holds the provider's own error is none: some
// failures of the model behind OpenRouter come inside a 200 answer.
Result<QJsonObject> jsonObject(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (document.isObject() && document.object().contains(QLatin1String("error")))
        return Result<QJsonObject>::failure(providerErrorMessage(document.object()));
    if (document.isObject())
        return document.object();
    if (body.trimmed().startsWith('<'))
        return Result<QJsonObject>::failure(
            QStringLiteral("The answer was a web page, not a transcript. A network sign-in page or a proxy may be "
                           "in the way, or the address is not a transcription service."));
    return Result<QJsonObject>::failure(QStringLiteral("The answer could not be read as a transcript."));
}

} // namespace

Result<QString> geminiTranscript(const QByteArray &body)
{
    const Result<QJsonObject> top = jsonObject(body);
    if (!top)
        return Result<QString>::failure(top.message());
    const QJsonArray candidates = top->value(QLatin1String("candidates")).toArray();
    if (candidates.isEmpty()) {
        const QString blocked =
            top->value(QLatin1String("promptFeedback")).toObject().value(QLatin1String("blockReason")).toString();
        return Result<QString>::failure(blocked.isEmpty()
                                            ? QStringLiteral("Gemini sent no transcript.")
                                            : QStringLiteral("Gemini refused the recording (%1).").arg(blocked));
    }
    QString text;
    const QJsonArray parts = candidates.first()
                                 .toObject()
                                 .value(QLatin1String("content"))
                                 .toObject()
                                 .value(QLatin1String("parts"))
                                 .toArray();
    for (const QJsonValue &part : parts) {
        // Thought summaries are not what was said.
        if (!part.toObject().value(QLatin1String("thought")).toBool())
            text += part.toObject().value(QLatin1String("text")).toString();
    }
    return text.trimmed();
}

Result<QString> chatCompletionTranscript(const QByteArray &body)
{
    const Result<QJsonObject> top = jsonObject(body);
    if (!top)
        return Result<QString>::failure(top.message());
    const QJsonArray choices = top->value(QLatin1String("choices")).toArray();
    if (choices.isEmpty())
        return Result<QString>::failure(QStringLiteral("The model sent no transcript."));
    const QJsonValue content =
        choices.first().toObject().value(QLatin1String("message")).toObject().value(QLatin1String("content"));
    return content.toString().trimmed();
}

Result<QString> serverTranscript(const QByteArray &body)
{
    const Result<QJsonObject> top = jsonObject(body);
    if (!top)
        return Result<QString>::failure(top.message());
    const QJsonValue text = top->value(QLatin1String("text"));
    if (!text.isString())
        return Result<QString>::failure(QStringLiteral("The server's answer holds no \"text\"."));
    return text.toString().trimmed();
}
