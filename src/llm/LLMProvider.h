#pragma once

#include <QList>
#include <QString>

#include <optional>

// Local: any server of the user's speaking the OpenAI chat-completions API.
enum class LLMProvider { Gemini, OpenRouter, Local };

QString rawValue(LLMProvider provider);
// Exact, case-sensitive; any other text gives no provider.
std::optional<LLMProvider> llmProviderFromRawValue(const QString &raw);
QList<LLMProvider> allLLMProviders();
