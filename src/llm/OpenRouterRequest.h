// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/ProviderRequest.h"

ProviderRequest openRouterRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                                  const LLMPrompt &prompt);
