// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/RawValue.h"

// Who turns dictated audio into text. Automatic picks one of the others each
// time: the chat provider when it is Gemini or OpenRouter and has a key, else
// the transcription server when one answers, else the offline recogniser.
enum class DictationEngine { Automatic, Gemini, OpenRouter, Server, Offline };

// The stored form ("Automatic", "Gemini", "OpenRouter", "Server", "Offline").
std::span<const RawValueName<DictationEngine>> rawValueNames(DictationEngine);

// What Settings shows for it.
QString displayName(DictationEngine engine);
// The command line's name ("gemini", "openrouter", "local", "offline"), matched
// without regard to case; Automatic has none.
QString commandName(DictationEngine engine);
std::optional<DictationEngine> dictationEngineFromCommandName(const QString &name);
// Whether the audio leaves the machine (a server address on the user's own
// network counts as leaving too: the user is told where it goes).
bool sendsAudioAway(DictationEngine engine);
