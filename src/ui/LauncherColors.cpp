// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/LauncherColors.h"

#include <QWidget>

QColor LauncherColors::systemGreen(bool dark)
{
    return dark ? QColor(48, 209, 88) : QColor(52, 199, 89);
}

QColor LauncherColors::systemYellow(bool dark)
{
    return dark ? QColor(255, 214, 10) : QColor(255, 204, 0);
}

LauncherColors LauncherColors::forAppearance(bool dark)
{
    LauncherColors c;
    c.dark = dark;
    const QColor ink = dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
    c.primary = withOpacity(ink, 0.88);
    c.secondary = withOpacity(ink, dark ? 0.55 : 0.5);
    c.accent = dark ? QColor(10, 132, 255) : QColor(0, 122, 255);
    c.separator = withOpacity(ink, dark ? 0.12 : 0.1);
    c.quaternaryFill = withOpacity(ink, dark ? 0.1 : 0.05);
    c.controlBackground = dark ? QColor(30, 30, 30) : QColor(255, 255, 255);
    c.green = systemGreen(dark);
    c.yellow = systemYellow(dark);
    c.red = dark ? QColor(255, 69, 58) : QColor(255, 59, 48);
    c.orange = dark ? QColor(255, 159, 10) : QColor(255, 149, 0);
    return c;
}

LauncherColors LauncherColors::of(const QWidget *widget)
{
    return forAppearance(widget->palette().color(QPalette::WindowText).lightness() > 128);
}

QPalette LauncherColors::palette(const QPalette &base) const
{
    QPalette p = base;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::WindowText, primary);
        p.setColor(group, QPalette::Text, primary);
        p.setColor(group, QPalette::ButtonText, primary);
        p.setColor(group, QPalette::PlaceholderText, secondary);
        p.setColor(group, QPalette::Base, Qt::transparent);
        p.setColor(group, QPalette::Window, Qt::transparent);
        p.setColor(group, QPalette::Highlight, withOpacity(accent, 0.45));
        p.setColor(group, QPalette::HighlightedText, primary);
        p.setColor(group, QPalette::Link, accent);
        p.setColor(group, QPalette::ToolTipBase, dark ? QColor(40, 40, 40) : QColor(250, 250, 250));
        p.setColor(group, QPalette::ToolTipText, dark ? Qt::white : Qt::black);
    }
    return p;
}
