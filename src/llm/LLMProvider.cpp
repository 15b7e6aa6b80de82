#include "llm/LLMProvider.h"

#include "platform/RawValue.h"

namespace {

constexpr RawValueName<LLMProvider> kProviders[] = {
    {LLMProvider::Gemini, "Gemini"},
    {LLMProvider::OpenRouter, "OpenRouter"},
    {LLMProvider::Local, "Local"},
};

} // namespace

QString rawValue(LLMProvider provider)
{
    return rawValue(kProviders, provider);
}

std::optional<LLMProvider> llmProviderFromRawValue(const QString &raw)
{
    return fromRawValue(kProviders, raw);
}

QList<LLMProvider> allLLMProviders()
{
    return allValues(kProviders);
}
