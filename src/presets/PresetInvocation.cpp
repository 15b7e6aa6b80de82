// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/PresetInvocation.h"

#include "presets/Preset.h"

std::optional<PresetInvocation> PresetInvocation::parse(const QString &typed)
{
    const QString text = typed.trimmed();
    if (!text.startsWith(QLatin1Char('/')))
        return std::nullopt;
    qsizetype end = 1;
    while (end < text.size() && !text.at(end).isSpace())
        ++end;
    const QString name = text.mid(1, end - 1);
    if (!Preset::isValidName(name))
        return std::nullopt;
    return PresetInvocation{name, text.mid(end).trimmed()};
}
