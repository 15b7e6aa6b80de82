// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CodeBlockColors.h"

#include "ui/ColorOpacity.h"

QColor CodeBlockColors::syntax(SyntaxColor color) const
{
    switch (color) {
    case SyntaxColor::Base:
        return base;
    case SyntaxColor::Keyword:
        return keyword;
    case SyntaxColor::String:
        return string;
    case SyntaxColor::Comment:
        return comment;
    case SyntaxColor::Number:
        return number;
    }
    return base;
}

CodeBlockColors CodeBlockColors::forAppearance(bool dark)
{
    CodeBlockColors c;
    if (dark) {
        // Light text on a well of shade.
        c.blockFill = QColor(0, 0, 0, qRound(255 * 0.45));
        c.headerFill = QColor(0, 0, 0, qRound(255 * 0.35));
        c.edge = QColor(255, 255, 255, qRound(255 * 0.08));
        c.label = withOpacity(Qt::white, 0.55);
        c.copied = QColor(48, 209, 88);
        c.base = QColor::fromRgbF(0.82f, 0.82f, 0.84f);
        c.keyword = QColor::fromRgbF(0.53f, 0.69f, 0.98f);
        c.string = QColor::fromRgbF(0.91f, 0.65f, 0.53f);
        c.comment = QColor::fromRgbF(0.5f, 0.65f, 0.5f);
        c.number = QColor::fromRgbF(0.75f, 0.62f, 0.94f);
        return c;
    }
    // A faint grey panel with a rim on the light bubble, and ink dark enough to read on it.
    c.blockFill = QColor(0, 0, 0, qRound(255 * 0.05));
    c.headerFill = QColor(0, 0, 0, qRound(255 * 0.05));
    c.edge = QColor(0, 0, 0, qRound(255 * 0.12));
    c.label = withOpacity(Qt::black, 0.66);
    c.copied = QColor(26, 127, 55);
    c.base = QColor(36, 41, 47);
    c.keyword = QColor(5, 80, 174);
    c.string = QColor(149, 56, 0);
    c.comment = QColor(87, 96, 106);
    c.number = QColor(102, 57, 186);
    return c;
}
