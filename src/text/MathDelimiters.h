// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// A formula found in prose: where its source starts and ends (delimiters
// included) and whether it is display math (its own centred line).
struct MathSpan
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype texStart = 0; // the TeX between the delimiters
    qsizetype texEnd = 0;
    bool display = false;

    QStringView source(QStringView text) const { return text.sliced(start, end - start); }
    QStringView tex(QStringView text) const { return text.sliced(texStart, texEnd - texStart); }
};

// Reads a formula opening at `at` ("$", "$$", "\(" or "\["): returns false when
// there is none, as for a price ("$5 and $10"), a dollar followed by a space, a
// closing "$" after a space, or a formula not closed yet. Formulas hold no
// backtick (a code span wins) and no blank line; an escaped "\$" neither opens
// nor closes one, and a "$" inside braces does not close it.
bool readMathSpan(QStringView text, qsizetype at, MathSpan *span);

// A place at or after `at` where text may be cut without cutting a formula
// that starts at or after `from`, nor one that may yet close as text comes
// (then the end of the text).
qsizetype mathSafeCut(QStringView text, qsizetype from, qsizetype at);

// The TeX of a formula's source: its delimiters taken off.
QStringView mathSourceTex(QStringView source);
