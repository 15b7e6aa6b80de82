// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/DictationEngine.h"

namespace {

constexpr RawValueName<DictationEngine> kCommandNames[] = {
    {DictationEngine::Gemini, "gemini"},
    {DictationEngine::OpenRouter, "openrouter"},
    {DictationEngine::Server, "local"},
    {DictationEngine::Offline, "offline"},
};

} // namespace

std::span<const RawValueName<DictationEngine>> rawValueNames(DictationEngine)
{
    static constexpr RawValueName<DictationEngine> kEngines[] = {
        {DictationEngine::Automatic, "Automatic"},   {DictationEngine::Gemini, "Gemini"},
        {DictationEngine::OpenRouter, "OpenRouter"}, {DictationEngine::Server, "Server"},
        {DictationEngine::Offline, "Offline"},
    };
    return kEngines;
}

QString displayName(DictationEngine engine)
{
    switch (engine) {
    case DictationEngine::Server:
        return QStringLiteral("Transcription server");
    case DictationEngine::Offline:
        return QStringLiteral("Offline (less accurate)");
    default:
        return rawValue(engine);
    }
}

QString commandName(DictationEngine engine)
{
    return rawValue<DictationEngine>(kCommandNames, engine);
}

std::optional<DictationEngine> dictationEngineFromCommandName(const QString &name)
{
    return fromRawValue<DictationEngine>(kCommandNames, name.toLower());
}

bool sendsAudioAway(DictationEngine engine)
{
    return engine == DictationEngine::Gemini || engine == DictationEngine::OpenRouter
        || engine == DictationEngine::Server;
}
