// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/LLMClient.h"

#include "llm/HttpExchange.h"
#include "llm/LLMStream.h"
#include "llm/ModelListFetch.h"
#include "llm/ProviderTable.h"

LLMClient::LLMClient(LLMProvider provider, QString apiKey, QString model, QString serverAddress)
    : m_provider(provider)
    , m_apiKey(std::move(apiKey))
    , m_model(std::move(model))
    , m_serverAddress(std::move(serverAddress))
{
}

LLMStream *LLMClient::stream(const QList<LLMTurn> &turns, const QString &newMessage,
                             const std::optional<QByteArray> &imageData, const QString &imageMIME, QObject *parent,
                             const QList<FileAttachment> &files) const
{
    LLMPrompt prompt{turns, newMessage, imageData, imageMIME, files};
    prompt.instructions = m_instructions;
    const ProviderTraits &traits = ProviderTable::traits(m_provider);
    ProviderRequest request =
        traits.chatRequest(ProviderTable::baseUrl(m_provider, m_serverAddress), m_apiKey, m_model, prompt);
    return new LLMStream(std::move(request), m_provider, parent);
}

void LLMClient::fetchModels(LLMProvider provider, const QString &serverAddress, const QString &apiKey, QObject *context,
                            std::function<void(const ModelList &)> done)
{
    const ProviderTraits::ModelListRequest request = ProviderTable::traits(provider).modelListRequest;
    Q_ASSERT(request);
    ModelListFetch::start(request(ProviderTable::baseUrl(provider, serverAddress), apiKey), context, std::move(done));
}

void LLMClient::setIdleTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setIdleTimeout(timeout);
}

void LLMClient::setFirstByteTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setFirstByteTimeout(timeout);
}
