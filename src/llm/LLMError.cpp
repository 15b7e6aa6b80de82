// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/LLMError.h"

namespace {
QString invalidKeyText()
{
    return QStringLiteral("Invalid API key. Please check your key in Settings.");
}
} // namespace

LLMError::LLMError(Kind kind, QString description)
    : m_kind(kind)
    , m_description(std::move(description))
{
}

LLMError LLMError::httpError(int status, const QString &providerMessage)
{
    LLMError error(Kind::Http, {});
    error.m_status = status;
    if (status == 401)
        return invalidKey(status);
    if (status == 429)
        error.m_description = QStringLiteral("Rate limit exceeded. Please wait a moment.");
    else
        error.m_description = QStringLiteral("API error (HTTP %1). Please try again.").arg(status);
    const QString message = providerMessage.trimmed();
    if (!message.isEmpty())
        error.m_description += QLatin1Char('\n') + message;
    return error;
}

LLMError LLMError::invalidKey(int status)
{
    LLMError error(Kind::Http, invalidKeyText());
    error.m_status = status;
    return error;
}

LLMError LLMError::cutOff()
{
    return LLMError(Kind::Network,
                    QStringLiteral("The provider closed the connection before the answer was complete."));
}

LLMError LLMError::emptyAnswer()
{
    return LLMError(Kind::Provider, QStringLiteral("The provider sent an empty answer."));
}

LLMError LLMError::withDescription(QString description) const
{
    LLMError error = *this;
    error.m_description = std::move(description);
    return error;
}
