#pragma once

#include <QList>
#include <QString>

#include <optional>

enum class LLMProvider { Gemini, OpenRouter };

QString rawValue(LLMProvider provider);
// Exact, case-sensitive; any other text gives no provider.
std::optional<LLMProvider> llmProviderFromRawValue(const QString &raw);
QList<LLMProvider> allLLMProviders();
