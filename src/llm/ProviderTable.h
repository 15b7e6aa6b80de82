// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMProvider.h"
#include "llm/LineOutcome.h"
#include "llm/ProviderRequest.h"

struct TextPreference;

// Everything that tells one provider from another, one row each; the rest of
// the program asks here instead of comparing provider names.
struct ProviderTraits
{
    using ChatRequest = ProviderRequest (*)(const QString &baseUrl, const QString &apiKey, const QString &model,
                                            const LLMPrompt &prompt);
    using ModelListRequest = ProviderRequest (*)(const QString &baseUrl, const QString &apiKey);
    // answeredSoFar: whether earlier lines of the answer yielded any text.
    using LineRule = LineOutcome (*)(const QString &line, bool answeredSoFar);

    LLMProvider provider;
    QString displayName;
    QString rawValue;
    // The environment variable that overrides the address, and the address
    // without it (for Local, the default of the stored one).
    const char *baseUrlVariable;
    QString defaultBaseUrl;
    QString keyAccount;
    // A server of the user's own usually needs no key.
    bool needsKey;
    // Where a key is had; none for a server of one's own.
    QString keyPage;
    // The chosen model's preference; its fallback is the default model.
    const TextPreference &selectedModel;
    // The preference caching the last fetched list; empty where the list is fixed.
    QString cachedModels;
    ChatRequest chatRequest;
    // Null where the list is fixed (Gemini's).
    ModelListRequest modelListRequest;
    LineRule lineRule;
    // Errors may come as bare JSON outside the event stream.
    bool sendsBareJsonErrors;
    // A leading <think> block of the answer is reasoning.
    bool thinksInTags;
    // The address the user stores in Settings, when there is one.
    const TextPreference *serverAddress;
};

namespace ProviderTable {

const ProviderTraits &traits(LLMProvider provider);

// The address requests go to: the environment's override, else the stored
// address (for providers that have one), else the default; never ending in "/".
QString baseUrl(LLMProvider provider, const QString &storedAddress = {});

// The transcription server stands beside the chat providers: its own address,
// override and key.
QString transcriptionBaseUrl(const QString &storedAddress);
QString transcriptionKeyAccount();

} // namespace ProviderTable
