#include "llm/LLMClient.h"

#include "llm/GeminiRequest.h"
#include "llm/HttpExchange.h"
#include "llm/LLMStream.h"
#include "llm/LocalRequest.h"
#include "llm/ModelCatalogue.h"
#include "llm/ModelListFetch.h"
#include "llm/OpenRouterRequest.h"
#include "platform/Preferences.h"

namespace {
QString withoutTrailingSlash(QString url)
{
    // Paths are appended with their own leading slash.
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

QString baseUrlFrom(const char *variable, const QString &fallback)
{
    const QString url = qEnvironmentVariable(variable).trimmed();
    return url.isEmpty() ? fallback : withoutTrailingSlash(url);
}
}

LLMClient::LLMClient(LLMProvider provider, QString apiKey, QString model, QString serverAddress)
    : m_provider(provider)
    , m_apiKey(std::move(apiKey))
    , m_model(std::move(model))
    , m_serverAddress(std::move(serverAddress))
{
}

LLMStream *LLMClient::stream(const QList<LLMTurn> &turns, const QString &newMessage,
                             const std::optional<QByteArray> &imageData, const QString &imageMIME,
                             QObject *parent, const QList<FileAttachment> &files) const
{
    LLMPrompt prompt{turns, newMessage, imageData, imageMIME, files};
    prompt.instructions = m_instructions;
    ProviderRequest request;
    switch (m_provider) {
    case LLMProvider::Gemini:
        request = geminiRequest(geminiBaseUrl(), m_apiKey, m_model, prompt);
        break;
    case LLMProvider::OpenRouter:
        request = openRouterRequest(openRouterBaseUrl(), m_apiKey, m_model, prompt);
        break;
    case LLMProvider::Local:
        request = localRequest(localBaseUrl(m_serverAddress), m_apiKey, m_model, prompt);
        break;
    }
    return new LLMStream(std::move(request), m_provider, parent);
}

void LLMClient::fetchOpenRouterModels(const QString &apiKey, QObject *context,
                                      std::function<void(const ModelList &)> done)
{
    ModelListFetch::start(openRouterModelsRequest(openRouterBaseUrl(), apiKey), context, std::move(done));
}

void LLMClient::fetchLocalModels(const QString &serverAddress, const QString &apiKey, QObject *context,
                                 std::function<void(const ModelList &)> done)
{
    ModelListFetch::start(localModelsRequest(localBaseUrl(serverAddress), apiKey), context, std::move(done));
}

void LLMClient::setIdleTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setIdleTimeout(timeout);
}

void LLMClient::setFirstByteTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setFirstByteTimeout(timeout);
}

QString LLMClient::geminiBaseUrl()
{
    return baseUrlFrom("TARNWICK_GEMINI_BASE_URL", QStringLiteral("https://generativelanguage.googleapis.com"));
}

QString LLMClient::openRouterBaseUrl()
{
    return baseUrlFrom("TARNWICK_OPENROUTER_BASE_URL", QStringLiteral("https://openrouter.ai"));
}

QString LLMClient::defaultLocalAddress()
{
    return Preferences::localServerAddress.fallback;
}

QString LLMClient::localBaseUrl(const QString &storedAddress)
{
    const QString stored = storedAddress.trimmed();
    return baseUrlFrom("TARNWICK_LOCAL_BASE_URL",
                       stored.isEmpty() ? defaultLocalAddress() : withoutTrailingSlash(stored));
}

QString LLMClient::transcriptionBaseUrl(const QString &storedAddress)
{
    const QString stored = storedAddress.trimmed();
    return baseUrlFrom("TARNWICK_TRANSCRIPTION_BASE_URL",
                       stored.isEmpty() ? Preferences::transcriptionServerAddress.fallback
                                        : withoutTrailingSlash(stored));
}
