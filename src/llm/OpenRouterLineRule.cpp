// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/OpenRouterLineRule.h"

#include "llm/EventLine.h"
#include "llm/ProviderErrorBody.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
// OpenRouter names it "reasoning", local servers "reasoning_content" (some
// "reasoning" too); OpenRouter also repeats it as structured details, which
// count only when the plain field is missing.
QString reasoningIn(const QJsonObject &delta)
{
    for (const char *field : {"reasoning", "reasoning_content"}) {
        const QString text = delta.value(QLatin1String(field)).toString();
        if (!text.isEmpty())
            return text;
    }
    QString text;
    for (const QJsonValue &detail : delta.value(QLatin1String("reasoning_details")).toArray()) {
        const QJsonObject object = detail.toObject();
        text += object.value(QLatin1String("text")).toString();
        text += object.value(QLatin1String("summary")).toString();
    }
    return text;
}

// The final chunk's totals; reasoning tokens are part of the completion's.
std::optional<LLMUsage> usageIn(const QJsonObject &chunk)
{
    const std::optional<QJsonObject> found = objectMember(chunk, QLatin1String("usage"));
    if (!found)
        return std::nullopt;
    const QJsonObject &counts = *found;
    LLMUsage usage;
    usage.promptTokens = counts.value(QLatin1String("prompt_tokens")).toInteger();
    usage.thoughtTokens = counts.value(QLatin1String("completion_tokens_details"))
                              .toObject()
                              .value(QLatin1String("reasoning_tokens"))
                              .toInteger();
    usage.answerTokens =
        qMax<qint64>(0, counts.value(QLatin1String("completion_tokens")).toInteger() - usage.thoughtTokens);
    const QJsonValue cost = counts.value(QLatin1String("cost"));
    if (cost.isDouble())
        usage.cost = cost.toDouble();
    return usage;
}
} // namespace

LineOutcome openRouterLineRule(const QString &line)
{
    // A blank payload, as some servers send to keep the line open, is no object either.
    const EventLine read = readEventLine(line);
    if (read.outcome)
        return *read.outcome;
    const QJsonObject &chunk = read.object;

    LineOutcome outcome;
    outcome.usage = usageIn(chunk);
    const QJsonObject choice = chunk.value(QLatin1String("choices")).toArray().first().toObject();
    const QJsonObject delta = choice.value(QLatin1String("delta")).toObject();
    if (const QString reasoning = reasoningIn(delta); !reasoning.isEmpty())
        outcome.reasoning.append(reasoning);
    const QJsonValue content = delta.value(QLatin1String("content"));
    if (content.isString())
        outcome.fragments.append(content.toString());
    outcome.complete = choice.value(QLatin1String("finish_reason")).isString();

    if (chunk.value(QLatin1String("error")).isObject()) {
        outcome.ending = LineOutcome::Ending::Error;
        outcome.error = providerErrorMessage(chunk);
    }
    return outcome;
}
