// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/ProviderRequest.h"

// A chat-completions request to the user's own server at baseUrl (which
// holds the API version, as "http://localhost:11434/v1" does).
ProviderRequest localRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                             const LLMPrompt &prompt);

ProviderRequest localModelsRequest(const QString &baseUrl, const QString &apiKey);
