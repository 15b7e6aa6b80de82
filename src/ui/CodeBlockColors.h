// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/SyntaxColoring.h"

#include <QColor>

// The colours of a code block in one appearance. The fills are painted over
// the answer's bubble (the header band over the block); every text colour
// reads at 4.5:1 or better on the fill beneath it.
struct CodeBlockColors
{
    QColor blockFill;
    QColor headerFill;
    QColor edge;
    QColor label; // the language name and the copy button
    QColor copied;
    QColor base;
    QColor keyword;
    QColor string;
    QColor comment;
    QColor number;

    QColor syntax(SyntaxColor color) const;

    static CodeBlockColors forAppearance(bool dark);
};
