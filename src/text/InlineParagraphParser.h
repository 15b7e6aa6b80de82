// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "text/InlineMarkdown.h"

#include <QList>
#include <QStringView>

// Inline Markdown of one paragraph (text without blank lines), after the
// CommonMark inline rules: delimiter runs with their flanking rules, code
// spans, inline links, autolinks and backslash escapes.
QList<InlineRun> parseInlineParagraph(QStringView text);

// A line of spaces and tabs only (a CR left by a CRLF line end counts as space):
// paragraphs end there, and no inline element crosses one.
bool isBlankLine(QStringView line);

// Appends a run, joining it to the last one when their styles and links agree.
void appendInlineRun(QList<InlineRun> &runs, InlineRun run);
