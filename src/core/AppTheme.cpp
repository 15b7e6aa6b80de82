#include "core/AppTheme.h"

#include "platform/RawValue.h"

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
    return fromRawValue(raw, allAppThemes());
}

QList<AppTheme> allAppThemes()
{
    return {AppTheme::System, AppTheme::Light, AppTheme::Dark};
}
