// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AppTheme.h"

#include "platform/RawValue.h"

namespace {

constexpr RawValueName<AppTheme> kThemes[] = {
    {AppTheme::System, "System"},
    {AppTheme::Light, "Light"},
    {AppTheme::Dark, "Dark"},
};

} // namespace

QString rawValue(AppTheme theme)
{
    return rawValue(kThemes, theme);
}

std::optional<AppTheme> appThemeFromRawValue(const QString &raw)
{
    return fromRawValue(kThemes, raw);
}

QList<AppTheme> allAppThemes()
{
    return allValues(kThemes);
}
