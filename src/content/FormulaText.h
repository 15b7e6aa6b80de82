// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QTextDocument;

// The plain text of document positions [from, to) as copying gives it: each
// formula as its TeX source with its delimiters, a line feed between blocks
// (none before a block whose format holds `continuationProperty`, which
// carries on the line before), and line separators and no-break spaces as
// line feeds and spaces.
QString formulaAwareText(const QTextDocument *document, int from, int to, int continuationProperty = 0);
