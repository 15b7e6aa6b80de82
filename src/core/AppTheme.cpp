#include "core/AppTheme.h"

QString rawValue(AppTheme theme)
{
    switch (theme) {
    case AppTheme::System: return QStringLiteral("System");
    case AppTheme::Light: return QStringLiteral("Light");
    case AppTheme::Dark: return QStringLiteral("Dark");
    }
    return {};
}

std::optional<AppTheme> appThemeFromRawValue(const QString &raw)
{
    for (AppTheme theme : allAppThemes()) {
        if (rawValue(theme) == raw)
            return theme;
    }
    return std::nullopt;
}

QList<AppTheme> allAppThemes()
{
    return {AppTheme::System, AppTheme::Light, AppTheme::Dark};
}
