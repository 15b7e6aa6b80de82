// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <optional>

// The appearance choice; the raw value is also its label.
enum class AppTheme { System, Light, Dark };

QString rawValue(AppTheme theme);
std::optional<AppTheme> appThemeFromRawValue(const QString &raw);
QList<AppTheme> allAppThemes();
