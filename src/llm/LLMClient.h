// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMError.h"
#include "llm/LLMProvider.h"
#include "llm/LLMTurn.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

class LLMStream;
class QObject;

// Sends prompts to the chosen provider. Holds only its three values; every
// call builds a fresh request on the thread's shared network access manager.
class LLMClient
{
public:
    // serverAddress: the Local provider's base address, as the user stored
    // it (see ProviderTable::baseUrl); the other providers ignore it.
    LLMClient(LLMProvider provider, QString apiKey, QString model, QString serverAddress = {});

    LLMProvider provider() const { return m_provider; }
    QString apiKey() const { return m_apiKey; }
    QString model() const { return m_model; }
    // The system prompt sent with every request; empty for none.
    QString instructions() const { return m_instructions; }
    void setInstructions(const QString &instructions) { m_instructions = instructions; }

    // Nothing is sent before control returns to the event loop, so the
    // caller connects first.
    LLMStream *stream(const QList<LLMTurn> &turns, const QString &newMessage,
                      const std::optional<QByteArray> &imageData,
                      const QString &imageMIME = QStringLiteral("image/png"), QObject *parent = nullptr,
                      const QList<FileAttachment> &files = {}) const;

    struct ModelList
    {
        QStringList models;
        std::optional<LLMError> error;
    };
    // done runs on context's thread, once, unless context is destroyed first
    // (which also aborts the request). The request runs on the calling thread.
    // The provider must have a model list to fetch (see ProviderTraits);
    // serverAddress as for the constructor; a local server's key is optional.
    static void fetchModels(LLMProvider provider, const QString &serverAddress, const QString &apiKey, QObject *context,
                            std::function<void(const ModelList &)> done);

    // No byte for this long ends a request with a timeout error (60 s).
    static void setIdleTimeout(std::chrono::milliseconds timeout);
    // A local server may load a model this long before its first byte (300 s).
    static void setFirstByteTimeout(std::chrono::milliseconds timeout);

private:
    LLMProvider m_provider;
    QString m_apiKey;
    QString m_model;
    QString m_serverAddress;
    QString m_instructions;
};
