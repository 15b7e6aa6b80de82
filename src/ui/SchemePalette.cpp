// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/SchemePalette.h"

#include <QApplication>
#include <QStyle>

QPalette schemePalette(bool dark)
{
    QPalette p = QApplication::style()->standardPalette();
    if (!dark)
        return p;
    const QColor window(50, 50, 52);
    const QColor base(36, 36, 38);
    const QColor text(236, 236, 236);
    const QColor dimmed(128, 128, 130);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        p.setColor(group, QPalette::Window, window);
        p.setColor(group, QPalette::WindowText, disabled ? dimmed : text);
        p.setColor(group, QPalette::Base, base);
        p.setColor(group, QPalette::AlternateBase, window);
        p.setColor(group, QPalette::Text, disabled ? dimmed : text);
        p.setColor(group, QPalette::PlaceholderText, dimmed);
        p.setColor(group, QPalette::Button, QColor(60, 60, 63));
        p.setColor(group, QPalette::ButtonText, disabled ? dimmed : text);
        p.setColor(group, QPalette::BrightText, Qt::white);
        p.setColor(group, QPalette::Light, QColor(78, 78, 82));
        p.setColor(group, QPalette::Midlight, QColor(66, 66, 70));
        p.setColor(group, QPalette::Mid, QColor(44, 44, 46));
        p.setColor(group, QPalette::Dark, QColor(30, 30, 32));
        p.setColor(group, QPalette::Shadow, QColor(10, 10, 10));
        p.setColor(group, QPalette::Highlight, disabled ? QColor(70, 70, 74) : QColor(10, 132, 255));
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::Link, QColor(64, 156, 255));
        p.setColor(group, QPalette::LinkVisited, QColor(160, 130, 255));
        p.setColor(group, QPalette::ToolTipBase, QColor(40, 40, 40));
        p.setColor(group, QPalette::ToolTipText, text);
    }
    return p;
}

bool isDarkPalette(const QPalette &palette)
{
    return palette.color(QPalette::WindowText).lightness() > 128;
}
