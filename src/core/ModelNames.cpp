// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ModelNames.h"

#include <QHash>

#include <utility>

QStringList defaultGeminiModels()
{
    return {
        QStringLiteral("gemini-3.1-pro-preview"),
        QStringLiteral("gemini-3-flash-preview"),
        QStringLiteral("gemini-3.1-flash-lite-preview"),
        QStringLiteral("gemini-2.5-pro"),
        QStringLiteral("gemini-2.5-flash"),
        QStringLiteral("gemini-1.5-pro"),
    };
}

QString formatModelName(const QString &model)
{
    static const QHash<QString, QString> known = {
        {QStringLiteral("gemini-3.1-pro-preview"), QStringLiteral("3.1 Pro ✦")},
        {QStringLiteral("gemini-3-flash-preview"), QStringLiteral("3 Flash ✦")},
        {QStringLiteral("gemini-3.1-flash-lite-preview"), QStringLiteral("3.1 Flash Lite ✦")},
        {QStringLiteral("gemini-2.5-pro"), QStringLiteral("2.5 Pro ✦")},
        {QStringLiteral("gemini-2.5-flash"), QStringLiteral("2.5 Flash ✦")},
        {QStringLiteral("gemini-1.5-pro"), QStringLiteral("1.5 Pro ✦")},
    };
    if (const auto it = known.constFind(model); it != known.constEnd())
        return *it;
    QString name = model;
    for (const char *vendor : {"openai/", "anthropic/", "google/", "meta-llama/", "deepseek/", "qwen/"})
        name.remove(QLatin1String(vendor), Qt::CaseSensitive);
    return name;
}

std::optional<QString> providerImageName(const QString &model)
{
    static const std::pair<const char *, const char *> prefixes[] = {
        {"openai/", "openai_logo"},       {"gemini", "gemini_logo"},    {"google/", "gemini_logo"},
        {"anthropic/", "anthropic_logo"}, {"meta-llama/", "meta_logo"}, {"deepseek/", "deepseek_logo"},
        {"qwen/", "qwen_logo"},
    };
    const QString lower = model.toLower();
    for (const auto &[prefix, image] : prefixes) {
        if (lower.startsWith(QLatin1String(prefix)))
            return QString::fromLatin1(image);
    }
    return std::nullopt;
}
