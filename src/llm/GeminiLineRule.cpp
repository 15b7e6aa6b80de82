#include "llm/GeminiLineRule.h"

#include "llm/ProviderErrorBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Plain words for the block and finish reasons that cut an answer off.
QString reasonInWords(const QString &reason)
{
    if (reason == QLatin1String("SAFETY") || reason == QLatin1String("IMAGE_SAFETY"))
        return QStringLiteral("it was flagged by the safety filters");
    if (reason == QLatin1String("RECITATION"))
        return QStringLiteral("it repeated protected material (recitation)");
    if (reason == QLatin1String("PROHIBITED_CONTENT"))
        return QStringLiteral("it touched prohibited content");
    if (reason == QLatin1String("BLOCKLIST"))
        return QStringLiteral("it contained blocked terms");
    if (reason == QLatin1String("SPII"))
        return QStringLiteral("it contained sensitive personal information");
    if (reason == QLatin1String("OTHER"))
        return QStringLiteral("of an unspecified reason");
    return QStringLiteral("of the reason %1").arg(reason);
}

bool stopsEarly(const QString &finishReason)
{
    static const QStringList reasons = {QStringLiteral("SAFETY"),    QStringLiteral("RECITATION"),
                                        QStringLiteral("PROHIBITED_CONTENT"), QStringLiteral("BLOCKLIST"),
                                        QStringLiteral("SPII"),      QStringLiteral("OTHER"),
                                        QStringLiteral("IMAGE_SAFETY")};
    return reasons.contains(finishReason);
}
}

LineOutcome geminiLineRule(const QString &line, bool answeredSoFar)
{
    static const QString prefix = QStringLiteral("data: ");
    if (!line.startsWith(prefix))
        return LineOutcome::ignored();
    const QStringView payload = QStringView(line).mid(prefix.size());
    if (payload == QLatin1String("[DONE]"))
        return LineOutcome::done();

    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8());
    if (!document.isObject())
        return LineOutcome::ignored();
    const QJsonObject event = document.object();

    if (event.value(QLatin1String("error")).isObject())
        return LineOutcome::failure(providerErrorMessage(event));

    const QJsonValue candidates = event.value(QLatin1String("candidates"));
    const QString blockReason =
        event.value(QLatin1String("promptFeedback")).toObject().value(QLatin1String("blockReason")).toString();
    if (!blockReason.isEmpty() && (!candidates.isArray() || candidates.toArray().isEmpty()))
        return LineOutcome::failure(QStringLiteral("Gemini refused the prompt because %1.").arg(reasonInWords(blockReason)));

    const QJsonObject candidate = candidates.toArray().first().toObject();
    LineOutcome outcome;
    const QJsonArray parts = candidate.value(QLatin1String("content")).toObject().value(QLatin1String("parts")).toArray();
    for (const QJsonValue &partValue : parts) {
        const QJsonObject part = partValue.toObject();
        const QJsonValue text = part.value(QLatin1String("text"));
        if (!text.isString() || part.value(QLatin1String("thought")).toBool())
            continue;
        // A part that only carries a thought signature is not answer text.
        if (text.toString().isEmpty() && part.contains(QLatin1String("thoughtSignature")))
            continue;
        outcome.fragments.append(text.toString());
    }

    const QString finishReason = candidate.value(QLatin1String("finishReason")).toString();
    if (stopsEarly(finishReason)) {
        outcome.ending = LineOutcome::Ending::Error;
        outcome.error = QStringLiteral("Gemini stopped the answer because %1.").arg(reasonInWords(finishReason));
    } else if (finishReason == QLatin1String("MAX_TOKENS") && !answeredSoFar
               && outcome.fragments.join(QString()).isEmpty()) {
        outcome.ending = LineOutcome::Ending::Error;
        outcome.error = QStringLiteral("Gemini used up its whole token budget before writing any answer. "
                                       "Try again or ask for less.");
    }
    return outcome;
}
