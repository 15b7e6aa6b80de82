// SPDX-License-Identifier: GPL-3.0-or-later
#include "llm/LocalRequest.h"

#include "llm/ChatCompletionsBody.h"
#include "llm/ServerAddress.h"

namespace {
// Most local servers need no key; a bearer header goes only with one.
void addKey(ProviderRequest &request, const QString &apiKey)
{
    if (!apiKey.isEmpty())
        request.headers.append({"Authorization", "Bearer " + apiKey.toUtf8()});
}
} // namespace

ProviderRequest localRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                             const LLMPrompt &prompt)
{
    ProviderRequest request;
    request.url = baseUrl + QStringLiteral("/chat/completions");
    request.headers = {{"Content-Type", "application/json"}};
    addKey(request, apiKey);
    request.body = chatCompletionsBody(model, prompt, {}, PdfParts::PageText);
    request.expectsEventStream = true;
    request.serverAddress = ServerAddress::shown(baseUrl);
    return request;
}

ProviderRequest localModelsRequest(const QString &baseUrl, const QString &apiKey)
{
    ProviderRequest request;
    request.method = "GET";
    request.url = baseUrl + QStringLiteral("/models");
    addKey(request, apiKey);
    request.serverAddress = ServerAddress::shown(baseUrl);
    return request;
}
