// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/OpenRouterRequest.h"

#include "llm/ChatCompletionsBody.h"

ProviderRequest openRouterRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                                  const LLMPrompt &prompt)
{
    ProviderRequest request;
    request.url = baseUrl + QStringLiteral("/api/v1/chat/completions");
    request.headers = {{"Content-Type", "application/json"},
                       {"Authorization", "Bearer " + apiKey.toUtf8()},
                       {"HTTP-Referer", "Tarnwick"}};
    // Reasoning comes back when the model writes it, unless excluded: say so
    // outright rather than rely on the default.
    request.body = chatCompletionsBody(
        model, prompt, {{QStringLiteral("reasoning"), QJsonObject{{QStringLiteral("exclude"), false}}}});
    request.keyIsEmpty = apiKey.isEmpty();
    request.expectsEventStream = true;
    return request;
}
