#pragma once

#include "content/InlineMarkdown.h"

#include <QList>
#include <QStringView>

// Inline Markdown of one paragraph (text without blank lines), after the
// CommonMark inline rules: delimiter runs with their flanking rules, code
// spans, inline links, autolinks and backslash escapes.
QList<InlineRun> parseInlineParagraph(QStringView text);

// Appends a run, joining it to the last one when their styles and links agree.
void appendInlineRun(QList<InlineRun> &runs, InlineRun run);
