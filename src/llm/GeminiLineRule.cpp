// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/GeminiLineRule.h"

#include "llm/EventLine.h"
#include "llm/ProviderErrorBody.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
struct CutOffReason
{
    const char *code;
    const char *words;
};

// The block and finish reasons that cut an answer off, in plain words.
constexpr CutOffReason kCutOffReasons[] = {
    {"SAFETY", "it was flagged by the safety filters"},
    {"IMAGE_SAFETY", "it was flagged by the safety filters"},
    {"RECITATION", "it repeated protected material (recitation)"},
    {"PROHIBITED_CONTENT", "it touched prohibited content"},
    {"BLOCKLIST", "it contained blocked terms"},
    {"SPII", "it contained sensitive personal information"},
    {"OTHER", "of an unspecified reason"},
};

const CutOffReason *cutOffReason(const QString &code)
{
    for (const CutOffReason &reason : kCutOffReasons) {
        if (code == QLatin1String(reason.code))
            return &reason;
    }
    return nullptr;
}

QString reasonInWords(const QString &code)
{
    if (const CutOffReason *reason = cutOffReason(code))
        return QLatin1String(reason->words);
    return QStringLiteral("of the reason %1").arg(code);
}

// Gemini repeats its running count on every event; the last one is the whole.
std::optional<LLMUsage> usageIn(const QJsonObject &event)
{
    const std::optional<QJsonObject> counts = objectMember(event, QLatin1String("usageMetadata"));
    if (!counts)
        return std::nullopt;
    return LLMUsage{counts->value(QLatin1String("promptTokenCount")).toInteger(),
                    counts->value(QLatin1String("candidatesTokenCount")).toInteger(),
                    counts->value(QLatin1String("thoughtsTokenCount")).toInteger(), std::nullopt};
}
} // namespace

LineOutcome geminiLineRule(const QString &line, bool answeredSoFar)
{
    const EventLine read = readEventLine(line);
    if (read.outcome)
        return *read.outcome;
    const QJsonObject &event = read.object;

    if (event.value(QLatin1String("error")).isObject())
        return LineOutcome::failure(providerErrorMessage(event));

    const QJsonValue candidates = event.value(QLatin1String("candidates"));
    const QString blockReason =
        event.value(QLatin1String("promptFeedback")).toObject().value(QLatin1String("blockReason")).toString();
    if (!blockReason.isEmpty() && (!candidates.isArray() || candidates.toArray().isEmpty()))
        return LineOutcome::failure(
            QStringLiteral("Gemini refused the prompt because %1.").arg(reasonInWords(blockReason)));

    const QJsonObject candidate = candidates.toArray().first().toObject();
    LineOutcome outcome;
    outcome.usage = usageIn(event);
    const QJsonArray parts =
        candidate.value(QLatin1String("content")).toObject().value(QLatin1String("parts")).toArray();
    for (const QJsonValue &partValue : parts) {
        const QJsonObject part = partValue.toObject();
        const QJsonValue text = part.value(QLatin1String("text"));
        if (!text.isString())
            continue;
        if (part.value(QLatin1String("thought")).toBool()) {
            if (!text.toString().isEmpty())
                outcome.reasoning.append(text.toString());
            continue;
        }
        // A part that only carries a thought signature is not answer text.
        if (text.toString().isEmpty() && part.contains(QLatin1String("thoughtSignature")))
            continue;
        outcome.fragments.append(text.toString());
    }

    const QString finishReason = candidate.value(QLatin1String("finishReason")).toString();
    outcome.complete = !finishReason.isEmpty();
    if (cutOffReason(finishReason)) {
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
