// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/EventLine.h"

#include <QJsonDocument>

EventLine readEventLine(const QString &line)
{
    static const QString prefix = QStringLiteral("data: ");
    if (!line.startsWith(prefix))
        return {LineOutcome::ignored(), {}};
    const QStringView payload = QStringView(line).mid(prefix.size());
    if (payload == QLatin1String("[DONE]"))
        return {LineOutcome::done(), {}};
    const QJsonDocument document = QJsonDocument::fromJson(payload.toUtf8());
    if (!document.isObject())
        return {LineOutcome::ignored(), {}};
    return {std::nullopt, document.object()};
}

std::optional<QJsonObject> objectMember(const QJsonObject &object, QLatin1String key)
{
    const QJsonValue member = object.value(key);
    if (!member.isObject())
        return std::nullopt;
    return member.toObject();
}
