// SPDX-License-Identifier: GPL-3.0-or-later
#include "dictation/DictationSettings.h"

#include "llm/ProviderTable.h"
#include "platform/Preferences.h"
#include "platform/UserDefaults.h"

#include <QLocale>

DictationSettings DictationSettings::fromDefaults(const UserDefaults &defaults)
{
    DictationSettings settings;
    settings.engine =
        fromRawValue<DictationEngine>(defaults.text(Preferences::dictationEngine)).value_or(DictationEngine::Automatic);
    settings.language = defaults.text(Preferences::dictationLanguage).trimmed();
    if (settings.language.isEmpty())
        settings.language = systemLanguage();
    settings.serverAddress =
        ProviderTable::transcriptionBaseUrl(defaults.text(Preferences::transcriptionServerAddress));
    settings.serverModel = defaults.text(Preferences::transcriptionModel).trimmed();
    if (settings.serverModel.isEmpty())
        settings.serverModel = Preferences::transcriptionModel.fallback;
    settings.chatProvider =
        llmProviderFromRawValue(defaults.text(Preferences::selectedProvider)).value_or(LLMProvider::Gemini);
    return settings;
}

QString DictationSettings::systemLanguage()
{
    const QLocale system = QLocale::system();
    return system.language() == QLocale::C ? QString() : system.bcp47Name();
}
