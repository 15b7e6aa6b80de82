// SPDX-License-Identifier: GPL-3.0-or-later
#include "presets/Preset.h"

#include <QStringList>

bool Preset::isValidName(const QString &name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            return false;
    }
    return true;
}

QString Preset::caption() const
{
    QStringList parts{name};
    if (!provider.isEmpty())
        parts << provider;
    if (!model.isEmpty())
        parts << model;
    return parts.join(QStringLiteral(" \u00B7 "));
}

QList<Preset> Preset::examples()
{
    return {
        {QStringLiteral("fix"),
         QStringLiteral("Fix the grammar and spelling of the text you are given. Keep its meaning, tone and "
                        "formatting. Reply with the corrected text only."),
         QStringLiteral("{selection}"),
         {},
         {}},
        {QStringLiteral("explain"),
         QStringLiteral("Explain the text you are given clearly and briefly: what it means, and anything a "
                        "reader would need to know to understand it."),
         QStringLiteral("Explain this:\n\n{selection}"),
         {},
         {}},
        {QStringLiteral("translate"),
         QStringLiteral("Translate the text into the language the user names. When no language is named, "
                        "translate into English. Reply with the translation only."),
         QStringLiteral("{input}\n\n{selection}"),
         {},
         {}},
        {QStringLiteral("summarize"),
         QStringLiteral("Summarise the text you are given in a few short sentences, keeping its key facts."),
         QStringLiteral("Summarise this:\n\n{clipboard}"),
         {},
         {}},
    };
}
