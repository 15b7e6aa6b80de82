#pragma once

#include "llm/ProviderRequest.h"

// The body of an OpenAI-style chat-completions request with streaming on:
// the history as user and assistant messages, images as data URLs.
QByteArray chatCompletionsBody(const QString &model, const LLMPrompt &prompt);
