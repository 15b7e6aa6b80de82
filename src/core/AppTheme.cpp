// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/AppTheme.h"

std::span<const RawValueName<AppTheme>> rawValueNames(AppTheme)
{
    static constexpr RawValueName<AppTheme> kThemes[] = {
        {AppTheme::System, "System"},
        {AppTheme::Light, "Light"},
        {AppTheme::Dark, "Dark"},
    };
    return kThemes;
}
