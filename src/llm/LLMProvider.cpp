#include "llm/LLMProvider.h"

#include "platform/RawValue.h"

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
    return fromRawValue(raw, allLLMProviders());
}

QList<LLMProvider> allLLMProviders()
{
    return {LLMProvider::Gemini, LLMProvider::OpenRouter, LLMProvider::Local};
}
