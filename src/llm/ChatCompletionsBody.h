#pragma once

#include "llm/ProviderRequest.h"

#include <QJsonObject>

// The body of an OpenAI-style chat-completions request with streaming on:
// the history as user and assistant messages, images as data URLs, and the
// provider's own members (extra) beside them.
QByteArray chatCompletionsBody(const QString &model, const LLMPrompt &prompt, const QJsonObject &extra = {});
