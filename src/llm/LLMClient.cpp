#include "llm/LLMClient.h"

#include "llm/GeminiRequest.h"
#include "llm/HttpExchange.h"
#include "llm/LLMStream.h"
#include "llm/ModelListFetch.h"
#include "llm/OpenRouterRequest.h"

namespace {
QString baseUrlFrom(const char *variable, const QString &fallback)
{
    QString url = qEnvironmentVariable(variable);
    if (url.isEmpty())
        return fallback;
    // Paths are appended with their own leading slash.
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}
}

LLMClient::LLMClient(LLMProvider provider, QString apiKey, QString model)
    : m_provider(provider)
    , m_apiKey(std::move(apiKey))
    , m_model(std::move(model))
{
}

LLMStream *LLMClient::stream(const QList<LLMTurn> &turns, const QString &newMessage,
                             const std::optional<QByteArray> &imageData, const QString &imageMIME,
                             QObject *parent) const
{
    const LLMPrompt prompt{turns, newMessage, imageData, imageMIME};
    ProviderRequest request = m_provider == LLMProvider::Gemini
                                  ? geminiRequest(geminiBaseUrl(), m_apiKey, m_model, prompt)
                                  : openRouterRequest(openRouterBaseUrl(), m_apiKey, m_model, prompt);
    return new LLMStream(std::move(request), m_provider, parent);
}

void LLMClient::fetchOpenRouterModels(const QString &apiKey, QObject *context,
                                      std::function<void(const ModelList &)> done)
{
    ModelListFetch::start(apiKey, context, std::move(done));
}

void LLMClient::setIdleTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setIdleTimeout(timeout);
}

QString LLMClient::geminiBaseUrl()
{
    return baseUrlFrom("TARNWICK_GEMINI_BASE_URL", QStringLiteral("https://generativelanguage.googleapis.com"));
}

QString LLMClient::openRouterBaseUrl()
{
    return baseUrlFrom("TARNWICK_OPENROUTER_BASE_URL", QStringLiteral("https://openrouter.ai"));
}
