// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/LLMClient.h"
#include "llm/ProviderRequest.h"

ProviderRequest openRouterModelsRequest(const QString &baseUrl, const QString &apiKey);

// The identifiers of a model list body ({"data": [{"id": ...}]}, the shape of
// OpenRouter's catalogue and of every OpenAI-compatible server), sorted by code point. A body that is
// JSON but not the expected shape gives an empty list; one that is not JSON
// gives an error.
LLMClient::ModelList parseModelList(const QByteArray &body);
