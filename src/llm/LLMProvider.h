// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>

// Local: any server of the user's speaking the OpenAI chat-completions API.
// What else differs between them is in ProviderTable.
enum class LLMProvider { Gemini, OpenRouter, Local };

// The stored form ("Gemini", "OpenRouter", "Local").
QString rawValue(LLMProvider provider);
// Exact, case-sensitive; any other text gives no provider.
std::optional<LLMProvider> llmProviderFromRawValue(const QString &raw);
// As typed on a command line: any case.
std::optional<LLMProvider> llmProviderFromName(const QString &name);
QList<LLMProvider> allLLMProviders();
