// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/ProviderTable.h"

#include "llm/GeminiLineRule.h"
#include "llm/GeminiRequest.h"
#include "llm/LocalLineRule.h"
#include "llm/LocalRequest.h"
#include "llm/ModelCatalogue.h"
#include "llm/OpenRouterLineRule.h"
#include "llm/OpenRouterRequest.h"
#include "platform/Preferences.h"
#include "services/KeychainHelper.h"

#include <array>

namespace {

LineOutcome openRouterRule(const QString &line, bool)
{
    return openRouterLineRule(line);
}

LineOutcome localRule(const QString &line, bool)
{
    return localLineRule(line);
}

// Built on first use: the rows copy texts that other files define.
const std::array<ProviderTraits, 3> &rows()
{
    static const std::array<ProviderTraits, 3> table{{
        {.provider = LLMProvider::Gemini,
         .displayName = QStringLiteral("Gemini"),
         .rawValue = QStringLiteral("Gemini"),
         .baseUrlVariable = "TARNWICK_GEMINI_BASE_URL",
         .defaultBaseUrl = QStringLiteral("https://generativelanguage.googleapis.com"),
         .keyAccount = KeychainHelper::geminiAccount,
         .needsKey = true,
         .keyPage = QStringLiteral("https://aistudio.google.com/apikey"),
         .selectedModel = Preferences::selectedGeminiModel,
         .cachedModels = {},
         .chatRequest = geminiRequest,
         .modelListRequest = nullptr,
         .lineRule = geminiLineRule,
         .sendsBareJsonErrors = true,
         .thinksInTags = false,
         .serverAddress = nullptr},
        {.provider = LLMProvider::OpenRouter,
         .displayName = QStringLiteral("OpenRouter"),
         .rawValue = QStringLiteral("OpenRouter"),
         .baseUrlVariable = "TARNWICK_OPENROUTER_BASE_URL",
         .defaultBaseUrl = QStringLiteral("https://openrouter.ai"),
         .keyAccount = KeychainHelper::openRouterAccount,
         .needsKey = true,
         .keyPage = QStringLiteral("https://openrouter.ai/keys"),
         .selectedModel = Preferences::selectedOpenRouterModel,
         .cachedModels = Preferences::cachedOpenRouterModels,
         .chatRequest = openRouterRequest,
         .modelListRequest = openRouterModelsRequest,
         .lineRule = openRouterRule,
         .sendsBareJsonErrors = false,
         .thinksInTags = false,
         .serverAddress = nullptr},
        {.provider = LLMProvider::Local,
         .displayName = QStringLiteral("Local"),
         .rawValue = QStringLiteral("Local"),
         .baseUrlVariable = "TARNWICK_LOCAL_BASE_URL",
         .defaultBaseUrl = Preferences::localServerAddress.fallback,
         .keyAccount = KeychainHelper::localAccount,
         .needsKey = false,
         .keyPage = {},
         .selectedModel = Preferences::selectedLocalModel,
         .cachedModels = Preferences::cachedLocalModels,
         .chatRequest = localRequest,
         .modelListRequest = localModelsRequest,
         .lineRule = localRule,
         .sendsBareJsonErrors = false,
         .thinksInTags = true,
         .serverAddress = &Preferences::localServerAddress},
    }};
    return table;
}

QString withoutTrailingSlash(QString url)
{
    // Paths are appended with their own leading slash.
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

QString resolvedBaseUrl(const char *variable, const QString &storedAddress, const QString &fallback)
{
    const QString overridden = qEnvironmentVariable(variable).trimmed();
    if (!overridden.isEmpty())
        return withoutTrailingSlash(overridden);
    const QString stored = storedAddress.trimmed();
    return withoutTrailingSlash(stored.isEmpty() ? fallback : stored);
}

} // namespace

const ProviderTraits &ProviderTable::traits(LLMProvider provider)
{
    for (const ProviderTraits &row : rows()) {
        if (row.provider == provider)
            return row;
    }
    Q_UNREACHABLE();
}

QString ProviderTable::baseUrl(LLMProvider provider, const QString &storedAddress)
{
    const ProviderTraits &row = traits(provider);
    return resolvedBaseUrl(row.baseUrlVariable, row.serverAddress ? storedAddress : QString(), row.defaultBaseUrl);
}

QString ProviderTable::transcriptionBaseUrl(const QString &storedAddress)
{
    return resolvedBaseUrl("TARNWICK_TRANSCRIPTION_BASE_URL", storedAddress,
                           Preferences::transcriptionServerAddress.fallback);
}

QString ProviderTable::transcriptionKeyAccount()
{
    return KeychainHelper::transcriptionAccount;
}

QString rawValue(LLMProvider provider)
{
    return ProviderTable::traits(provider).rawValue;
}

std::optional<LLMProvider> llmProviderFromRawValue(const QString &raw)
{
    for (const ProviderTraits &row : rows()) {
        if (row.rawValue == raw)
            return row.provider;
    }
    return std::nullopt;
}

std::optional<LLMProvider> llmProviderFromName(const QString &name)
{
    for (const ProviderTraits &row : rows()) {
        if (row.rawValue.compare(name, Qt::CaseInsensitive) == 0)
            return row.provider;
    }
    return std::nullopt;
}

QList<LLMProvider> allLLMProviders()
{
    QList<LLMProvider> providers;
    for (const ProviderTraits &row : rows())
        providers.append(row.provider);
    return providers;
}
