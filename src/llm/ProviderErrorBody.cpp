// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ProviderErrorBody.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
// Gemini sends the error object alone or, on streaming calls, inside an array.
QJsonObject errorObject(const QByteArray &body)
{
    const QJsonDocument document = QJsonDocument::fromJson(body);
    const QJsonObject top = document.isArray() ? document.array().first().toObject() : document.object();
    return top;
}

bool reportsInvalidKey(const QJsonObject &error)
{
    const QJsonArray details = error.value(QLatin1String("details")).toArray();
    return std::any_of(details.begin(), details.end(), [](const QJsonValue &detail) {
        return detail.toObject().value(QLatin1String("reason")).toString() == QLatin1String("API_KEY_INVALID");
    });
}
} // namespace

QString providerErrorMessage(const QJsonObject &withError)
{
    const QJsonObject error = withError.value(QLatin1String("error")).toObject();
    const QString message = error.value(QLatin1String("message")).toString().trimmed();
    if (!message.isEmpty())
        return message;
    const QJsonValue code = error.value(QLatin1String("code"));
    const QString codeText = code.isDouble() ? QString::number(code.toInteger()) : code.toString();
    if (codeText.isEmpty())
        return QStringLiteral("The provider reported an error and stopped the answer.");
    return QStringLiteral("The provider reported error %1 and stopped the answer.").arg(codeText);
}

QString providerMessageInBody(const QByteArray &body)
{
    return errorObject(body)
        .value(QLatin1String("error"))
        .toObject()
        .value(QLatin1String("message"))
        .toString()
        .trimmed();
}

LLMError errorForFailedResponse(int status, const QByteArray &body, bool keyIsEmpty)
{
    const QJsonObject top = errorObject(body);
    const QJsonObject error = top.value(QLatin1String("error")).toObject();
    if (reportsInvalidKey(error) || (status == 403 && keyIsEmpty))
        return LLMError::invalidKey(status);
    return LLMError::httpError(status, error.value(QLatin1String("message")).toString());
}
