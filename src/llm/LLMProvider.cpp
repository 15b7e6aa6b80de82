#include "llm/LLMProvider.h"

QString rawValue(LLMProvider provider)
{
    switch (provider) {
    case LLMProvider::Gemini: return QStringLiteral("Gemini");
    case LLMProvider::OpenRouter: return QStringLiteral("OpenRouter");
    case LLMProvider::Local: return QStringLiteral("Local");
    }
    return {};
}

std::optional<LLMProvider> llmProviderFromRawValue(const QString &raw)
{
    for (LLMProvider provider : allLLMProviders()) {
        if (rawValue(provider) == raw)
            return provider;
    }
    return std::nullopt;
}

QList<LLMProvider> allLLMProviders()
{
    return {LLMProvider::Gemini, LLMProvider::OpenRouter, LLMProvider::Local};
}
