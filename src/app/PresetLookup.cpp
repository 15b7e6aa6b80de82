// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PresetLookup.h"

#include "llm/LLMProvider.h"
#include "presets/PresetStore.h"

QString unknownPresetText(const PresetStore &store, const QString &name)
{
    const QStringList names = store.names();
    if (names.isEmpty())
        return QStringLiteral("Unknown preset \"%1\": there are no presets.").arg(name);
    return QStringLiteral("Unknown preset \"%1\". Presets: %2.").arg(name, names.join(QStringLiteral(", ")));
}

std::optional<QString> matchProviderName(const QString &typed)
{
    if (const std::optional<LLMProvider> provider = llmProviderFromName(typed))
        return rawValue(*provider);
    return std::nullopt;
}
