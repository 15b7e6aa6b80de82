#include "llm/OpenRouterLineRule.h"

#include "llm/ProviderErrorBody.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
bool isBlank(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space;
    });
}
}

LineOutcome openRouterLineRule(const QString &line)
{
    static const QString prefix = QStringLiteral("data: ");
    if (!line.startsWith(prefix))
        return LineOutcome::ignored();
    const QStringView payload = QStringView(line).mid(prefix.size());
    if (payload == QLatin1String("[DONE]"))
        return LineOutcome::done();
    if (isBlank(payload))
        return LineOutcome::ignored();

    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8());
    if (!document.isObject())
        return LineOutcome::ignored();
    const QJsonObject chunk = document.object();

    LineOutcome outcome;
    const QJsonObject choice = chunk.value(QLatin1String("choices")).toArray().first().toObject();
    const QJsonValue content = choice.value(QLatin1String("delta")).toObject().value(QLatin1String("content"));
    if (content.isString())
        outcome.fragments.append(content.toString());
    outcome.complete = choice.value(QLatin1String("finish_reason")).isString();

    if (chunk.value(QLatin1String("error")).isObject()) {
        outcome.ending = LineOutcome::Ending::Error;
        outcome.error = providerErrorMessage(chunk);
    }
    return outcome;
}
