// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/LLMClient.h"

#include "llm/HttpExchange.h"
#include "llm/LLMStream.h"
#include "llm/ModelListFetch.h"
#include "llm/ProviderTable.h"
#include "platform/Logging.h"

#include <QUrl>

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
    // The host alone: some providers take the key in the address.
    qCDebug(lcLlm).noquote() << traits.displayName << "answer from" << m_model << "at" << QUrl(request.url).host();
    auto *stream = new LLMStream(std::move(request), m_provider, parent);
    // Every failure reaches the user; the log sets it beside its request.
    QObject::connect(stream, &LLMStream::failed, stream, [name = traits.displayName](const LLMError &error) {
        qCDebug(lcLlm).noquote() << name << "answer failed:" << error.errorDescription();
    });
    return stream;
}

void LLMClient::fetchModels(LLMProvider provider, const QString &serverAddress, const QString &apiKey, QObject *context,
                            std::function<void(const ModelList &)> done)
{
    const ProviderTraits::ModelListRequest request = ProviderTable::traits(provider).modelListRequest;
    Q_ASSERT(request);
    const QString name = ProviderTable::traits(provider).displayName;
    qCDebug(lcLlm).noquote() << name << "model list requested";
    ModelListFetch::start(request(ProviderTable::baseUrl(provider, serverAddress), apiKey), context,
                          [name, done = std::move(done)](const ModelList &list) {
        if (list.error)
            qCDebug(lcLlm).noquote() << name << "model list failed:" << list.error->errorDescription();
        else
            qCDebug(lcLlm).noquote() << name << "listed" << list.models.size() << "models";
        done(list);
    });
}

void LLMClient::setIdleTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setIdleTimeout(timeout);
}

void LLMClient::setFirstByteTimeout(std::chrono::milliseconds timeout)
{
    HttpExchange::setFirstByteTimeout(timeout);
}
