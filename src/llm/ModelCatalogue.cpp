// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ModelCatalogue.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

ProviderRequest openRouterModelsRequest(const QString &baseUrl, const QString &apiKey)
{
    ProviderRequest request;
    request.method = "GET";
    request.url = baseUrl + QStringLiteral("/api/v1/models");
    request.headers = {{"Authorization", "Bearer " + apiKey.toUtf8()}};
    request.keyIsEmpty = apiKey.isEmpty();
    return request;
}

LLMClient::ModelList parseModelList(const QByteArray &body)
{
    LLMClient::ModelList list;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        list.error = LLMError(LLMError::Kind::Json,
                              QStringLiteral("The model list is not valid JSON (%1).").arg(parseError.errorString()));
        return list;
    }
    const QJsonValue data = document.object().value(QLatin1String("data"));
    const QJsonArray entries = data.toArray();
    if (!std::all_of(entries.begin(), entries.end(), [](const QJsonValue &v) { return v.isObject(); }))
        return list;
    for (const QJsonValue &entry : entries) {
        // An empty or blank id names no model anyone could pick.
        const QString id = entry.toObject().value(QLatin1String("id")).toString();
        if (!id.trimmed().isEmpty())
            list.models.append(id);
    }
    // Code-point order: UTF-8 bytes compare the way code points do, UTF-16
    // units do not beyond the first plane.
    std::sort(list.models.begin(), list.models.end(),
              [](const QString &a, const QString &b) { return a.toUtf8() < b.toUtf8(); });
    return list;
}
