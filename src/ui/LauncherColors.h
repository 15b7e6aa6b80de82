// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/ColorOpacity.h"

#include <QColor>
#include <QPalette>

class QWidget;

// The semantic colours of the launcher in one appearance (light or dark). The
// launcher sets its palette from these; its children read them back with of().
struct LauncherColors
{
    bool dark = true;
    QColor primary;
    QColor secondary;
    QColor accent;
    QColor separator;
    QColor quaternaryFill;
    QColor controlBackground;
    QColor green;
    QColor yellow;
    QColor red;
    QColor orange;

    static LauncherColors forAppearance(bool dark);
    // The colours matching the widget's palette (dark when its text is light).
    static LauncherColors of(const QWidget *widget);
    static QColor systemGreen(bool dark);
    static QColor systemYellow(bool dark);

    QPalette palette(const QPalette &base) const;
};
