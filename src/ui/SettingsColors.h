// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/ColorOpacity.h"

#include <QColor>

class QWidget;

// The semantic colours the settings window draws with, taken from the
// widget's palette so that they follow the system appearance.
namespace SettingsColors {

bool isDark(const QWidget *widget);
QColor label(const QWidget *widget);
// The label colour at half strength, as secondary text reads.
QColor secondaryLabel(const QWidget *widget);
QColor separator(const QWidget *widget);
QColor systemBlue(const QWidget *widget);
QColor systemGreen(const QWidget *widget);
QColor systemRed(const QWidget *widget);

} // namespace SettingsColors
