// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/LocalLineRule.h"

#include "llm/OpenRouterLineRule.h"
#include "llm/ProviderErrorBody.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {
QJsonObject objectIn(QStringView payload)
{
    return QJsonDocument::fromJson(payload.toUtf8()).object();
}

// The error object alone, as some servers send it, reads like {"error": it}.
LineOutcome failureFrom(const QJsonObject &error)
{
    return LineOutcome::failure(providerErrorMessage(QJsonObject{{QStringLiteral("error"), error}}));
}
} // namespace

LineOutcome localLineRule(const QString &line)
{
    // llama.cpp's server names the event instead: "error: {...}".
    static const QString errorField = QStringLiteral("error: ");
    if (line.startsWith(errorField)) {
        const QJsonObject object = objectIn(QStringView(line).mid(errorField.size()));
        if (object.isEmpty())
            return LineOutcome::ignored();
        const QJsonValue nested = object.value(QLatin1String("error"));
        return failureFrom(nested.isObject() ? nested.toObject() : object);
    }
    // vLLM's error chunk is the error object itself, marked by its type.
    static const QString dataField = QStringLiteral("data: ");
    if (line.startsWith(dataField) && line.contains(QLatin1String("\"object\""))) {
        const QJsonObject object = objectIn(QStringView(line).mid(dataField.size()));
        if (object.value(QLatin1String("object")).toString() == QLatin1String("error"))
            return failureFrom(object);
    }
    return openRouterLineRule(line);
}
