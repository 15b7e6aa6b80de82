// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "llm/ProviderRequest.h"

#include <QByteArray>
#include <QString>

// The requests that ask each engine to write down a recording. wav is a whole
// WAV file; language a code such as "en-GB", or empty when not known.

// What the chat models are told: write down exactly what is said, never answer it.
QString transcriptionInstruction(const QString &language);

// POST {base}/v1beta/models/{model}:generateContent, the audio as inline data.
ProviderRequest geminiTranscriptionRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                                           const QByteArray &wav, const QString &language);
// POST {base}/api/v1/chat/completions, the audio as an input_audio part.
ProviderRequest openRouterTranscriptionRequest(const QString &baseUrl, const QString &apiKey, const QString &model,
                                               const QByteArray &wav, const QString &language);
// POST {server}/audio/transcriptions, multipart form data as OpenAI's API takes it.
ProviderRequest serverTranscriptionRequest(const QString &serverUrl, const QString &apiKey, const QString &model,
                                           const QByteArray &wav, const QString &language);
