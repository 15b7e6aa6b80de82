// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/LoopbackServer.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The server's side of the three transcription requests: the multipart form
// taken apart, the Base64 audio decoded, and the WAV checked the way a real
// service would refuse a broken one.

struct FormField
{
    QByteArray name;
    QByteArray filename; // empty for a plain field
    QByteArray contentType;
    QByteArray data;
};

// The fields of a multipart/form-data body, by the boundary its header names;
// empty when the body is not well-formed.
QList<FormField> formFields(const RecordedRequest &request);
FormField formField(const QList<FormField> &fields, const QByteArray &name);

// What is wrong with a WAV file of 16 kHz mono 16-bit PCM, or empty when nothing.
QString wavProblem(const QByteArray &wav);

// The audio a request carried, decoded; empty when it holds none where each
// service expects it (Gemini's inline_data, OpenRouter's input_audio, the form's file).
QByteArray geminiAudio(const RecordedRequest &request);
QByteArray openRouterAudio(const RecordedRequest &request);
QByteArray serverAudio(const RecordedRequest &request);

// Answers a transcription request as its service would, with this transcript,
// or with a 400 naming the fault when the request is malformed. Paths:
// .../models/M:generateContent, /api/v1/chat/completions, /v1/audio/transcriptions.
ScriptedResponse transcriptionAnswer(const RecordedRequest &request, const QString &transcript);
