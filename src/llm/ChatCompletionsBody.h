// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/ProviderRequest.h"

#include <QJsonObject>

// How a PDF travels: as a file part, or (to servers that take no PDFs) as
// the text of its pages.
enum class PdfParts { File, PageText };

// The body of an OpenAI-style chat-completions request with streaming on:
// the history as user and assistant messages, images as data URLs, text
// files fenced, and the provider's own members (extra) beside them.
QByteArray chatCompletionsBody(const QString &model, const LLMPrompt &prompt, const QJsonObject &extra = {},
                               PdfParts pdfs = PdfParts::File);
