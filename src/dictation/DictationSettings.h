// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dictation/DictationEngine.h"
#include "llm/LLMProvider.h"

#include <QString>

class UserDefaults;

// What dictation needs to know of the user's choices, read at the moment a
// recording is to be written down.
struct DictationSettings
{
    // Fast, audio-capable models; the transcription server's model is the user's.
    static inline const QString geminiModel = QStringLiteral("gemini-2.5-flash-lite");
    static inline const QString openRouterModel = QStringLiteral("google/gemini-2.5-flash");

    DictationEngine engine = DictationEngine::Automatic;
    QString language;
    // The server's base address, the environment's override applied.
    QString serverAddress;
    QString serverModel;
    // The chat provider, which Automatic follows.
    LLMProvider chatProvider = LLMProvider::Gemini;

    static DictationSettings fromDefaults(const UserDefaults &defaults);
    // The desktop's language as a code ("en-GB"), or empty when it names none.
    static QString systemLanguage();
};
