// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SettingsColors.h"

#include <QPalette>
#include <QWidget>

namespace SettingsColors {

bool isDark(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText).lightness() > 128;
}

QColor label(const QWidget *widget)
{
    return widget->palette().color(QPalette::WindowText);
}

QColor secondaryLabel(const QWidget *widget)
{
    return withOpacity(label(widget), isDark(widget) ? 0.55 : 0.5);
}

QColor separator(const QWidget *widget)
{
    return withOpacity(label(widget), isDark(widget) ? 0.15 : 0.12);
}

QColor systemBlue(const QWidget *widget)
{
    return isDark(widget) ? QColor(10, 132, 255) : QColor(0, 122, 255);
}

QColor systemGreen(const QWidget *widget)
{
    return isDark(widget) ? QColor(48, 209, 88) : QColor(40, 167, 69);
}

QColor systemRed(const QWidget *widget)
{
    return isDark(widget) ? QColor(255, 105, 97) : QColor(215, 0, 21);
}

} // namespace SettingsColors
